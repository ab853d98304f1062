#pragma once
// TNewsEditForm: the modal dialog "取得ニュースのカスタマイズ". It edits the
// records of NewsList() in place through a DefinitionEditSession; OK keeps
// and saves the list, Cancel (Esc, the close box) returns to the file saved
// when it opened. Open it through OpenDefinitionEditor (definition_menu_ui.h).
#include <QDialog>
#include <QTimer>
#include <memory>
#include <vector>

#include "dialogs/definition_editing.h"
#include "platform/message_port.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace lumetra {

class TNewsEditForm : public QDialog {
  Q_OBJECT

 public:
  // Runs the opening steps for the bar that opens the editor.
  explicit TNewsEditForm(int bar, QWidget* parent = nullptr);
  ~TNewsEditForm() override;

  platform::WindowHandle Handle() const { return port_->Handle(); }
  DefinitionEditSession& Session() { return *session_; }
  // Selected rows, ascending.
  std::vector<int> SelectedRows() const;
  // The repeat delays of "↑" and "↓" while held.
  static constexpr int kRepeatDelayMs = 700;
  static constexpr int kRepeatIntervalMs = 100;

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  enum class After { Collapse, AlsoSelectFirst };

  void BuildControls();
  void Connect();
  platform::LResult WndProc(uint32_t msg, platform::WParam wParam, platform::LParam lParam);

  void FillRows();
  void RefreshRow(int row);
  void SelectOnly(int row);
  int FirstSelected() const;
  void ScrollToSelection();
  void KeepOnScreen();

  // Selection change: the controls show the first selected row.
  void ListSelectionChanged();
  void FillControls(int row);
  void FillBlank();
  void EnableControls(const NewsDefinition& d);

  // An edit written into the selected rows.
  void TextEdited(QLineEdit* edit, EditField field);
  void NumberEdited(QLineEdit* edit, EditField field);
  void ValueChanged(EditField field, int value);
  void EncodingClicked(QCheckBox* box);
  void TableModeClicked(QCheckBox* box);
  void Written(const std::vector<int>& rows, After after);
  void CommitFocusedField();
  bool WritesAllowed() const;

  void NewClick();
  void ApplyAllClick();
  void DuplicateClick();
  void DeleteClick();
  void Move(bool up);

  std::unique_ptr<DefinitionEditSession> session_;
  std::unique_ptr<platform::MessagePort> port_;
  bool updating_ = false;
  bool closed_ = false;
  QTimer repeat_;
  bool repeatUp_ = true;

  QTreeWidget* list_ = nullptr;
  QLineEdit *url_ = nullptr, *title_ = nullptr, *mainUrl_ = nullptr, *startMarker_ = nullptr,
            *endMarker_ = nullptr, *groupId_ = nullptr, *minChars_ = nullptr, *cellsX_ = nullptr,
            *cellsY_ = nullptr;
  QComboBox *category_ = nullptr, *startTag_ = nullptr, *endTag_ = nullptr, *region_ = nullptr,
            *channel_ = nullptr;
  QCheckBox *showInMenu_ = nullptr, *patrol_ = nullptr, *alwaysFetch_ = nullptr, *favourite_ = nullptr,
            *euc_ = nullptr, *jis_ = nullptr, *utf8_ = nullptr, *unicode_ = nullptr, *cookie_ = nullptr,
            *board_ = nullptr, *horizontal_ = nullptr, *vertical_ = nullptr, *fetchTitle_ = nullptr,
            *rss_ = nullptr, *pluginAnalysis_ = nullptr;
  QPushButton *new_ = nullptr, *applyAll_ = nullptr, *duplicate_ = nullptr, *delete_ = nullptr, *up_ = nullptr,
              *down_ = nullptr, *ok_ = nullptr, *cancel_ = nullptr;
};

}  // namespace lumetra
