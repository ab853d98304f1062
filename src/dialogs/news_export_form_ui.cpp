#include "dialogs/news_export_form_ui.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_state.h"
#include "definitions/definition_exchange.h"
#include "dialogs/definition_editing.h"
#include "dialogs/definition_list_view_ui.h"
#include "dialogs/definition_menu_ui.h"
#include "platform/sjis_text.h"
#include "platform/user_prompt.h"

namespace lumetra {

namespace {
// What a row stands for, to notice a list that changed under the window.
QByteArray RowIdentity(int index) {
  const NewsDefinition& d = NewsList().Item(index);
  return QByteArray::fromStdString(FieldText(d.Url) + '\0' + FieldText(d.Title));
}
}  // namespace

TNewsExportForm::TNewsExportForm(int bar, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral(u"ニュースのエクスポート"));
  list_ = MakeDefinitionListView(this);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName("Ok");
  cancel_ = new QPushButton(QStringLiteral(u"キャンセル"), this);
  cancel_->setObjectName("Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(720, 420);

  connect(ok_, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  bar_ = bar;
  FillRows(bar);
}

void TNewsExportForm::FillRows(int bar) {
  TIPlist5& list = NewsList();
  const int current = BarExists(bar) ? BarDefinition(bar) : 0;
  QList<QTreeWidgetItem*> items;
  for (int i = 0; i < list.Count; ++i) {
    auto* item = new QTreeWidgetItem;
    // The name as the bar's menu shows it: marks and title, no number.
    item->setText(0, platform::SjisToQString(DefinitionCaption(list, current, false, i)));
    item->setText(1, platform::SjisToQString(CategoryName(list.Item(i).Category)));
    item->setText(2, platform::SjisToQString(FieldText(list.Item(i).Url)));
    item->setData(0, Qt::UserRole, RowIdentity(i));
    items.append(item);
  }
  list_->addTopLevelItems(items);
}

std::vector<int> TNewsExportForm::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

bool TNewsExportForm::OkClick() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return false;
  // The editor or an import may have changed the list meanwhile: then the
  // rows are made again and the user chooses anew.
  bool same = list_->topLevelItemCount() == NewsList().Count;
  for (int row : rows) same = same && list_->topLevelItem(row)->data(0, Qt::UserRole).toByteArray() == RowIdentity(row);
  if (!same) {
    list_->clear();
    FillRows(bar_);
    return false;
  }
  FileDialogRequest request;
  request.save = true;
  request.filter = DefinitionFileFilter();
  request.defaultSuffix = QStringLiteral("NUD");
  request.folder = QString::fromStdString(app().DataFolder);
  std::optional<std::string> path = ChooseFile(this, request);
  if (!path) return false;
  if (!ExportDefinitions(*path, rows)) {
    // The user has to know that the file they asked for is not there.
    platform::ShowMessage(SJ("ファイルに書き込めませんでした。\n") + platform::Utf8ToSjis(*path),
                          platform::PromptIcon::Error);
    return false;
  }
  accept();
  return true;
}

}  // namespace lumetra
