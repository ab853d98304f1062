#pragma once
// TNewsExportForm: "ニュースのエクスポート". Every definition is a row; the
// selected ones are written to a ".NUD" file chosen in a save dialog.
#include <QDialog>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace lumetra {

class TNewsExportForm : public QDialog {
  Q_OBJECT

 public:
  // Rows carry the marks of `bar`'s current definition.
  explicit TNewsExportForm(int bar, QWidget* parent = nullptr);

  QTreeWidget* List() const { return list_; }
  // Rows selected, ascending.
  std::vector<int> SelectedRows() const;
  // "OK": with rows selected, asks for the file, writes it and closes.
  // False when nothing was written (no selection, cancelled, write failed).
  bool OkClick();

 private:
  void FillRows(int bar);

  int bar_ = 0;
  QTreeWidget* list_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace lumetra
