#include "dialogs/news_edit_form_ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/main_window_calls.h"
#include "app/messages.h"
#include "dialogs/definition_list_view_ui.h"
#include "platform/sjis_text.h"
#include "platform/window_ui.h"

namespace lumetra {

using platform::LParam;
using platform::LResult;
using platform::WParam;

namespace {

// Record fields hold Shift_JIS bytes: the limit is in bytes, as the field
// stores them. Longer input (typed or pasted) is cut there, and the field
// still counts as changed by the user.
void KeepWithinBytes(QLineEdit* edit, int bytes) {
  QString text = edit->text();
  if (static_cast<int>(platform::QStringToSjis(text).size()) <= bytes) return;
  while (!text.isEmpty() && static_cast<int>(platform::QStringToSjis(text).size()) > bytes) text.chop(1);
  if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
  const int cursor = std::min(edit->cursorPosition(), static_cast<int>(text.size()));
  edit->setText(text);
  edit->setCursorPosition(cursor);
  edit->setModified(true);
}

QString Text(const std::string& sjis) { return platform::SjisToQString(sjis); }

int IndexOfData(const QComboBox* box, int value) { return box->findData(value); }

}  // namespace

TNewsEditForm::TNewsEditForm(int bar, QWidget* parent) : QDialog(parent) {
  port_ = std::make_unique<platform::MessagePort>(
      [this](uint32_t msg, WParam w, LParam l) { return WndProc(msg, w, l); }, this);
  setWindowTitle(QStringLiteral(u"取得ニュースのカスタマイズ"));
  BuildControls();
  // The opening steps: the list is saved and the board definitions are held
  // back before the rows are made.
  session_ = std::make_unique<DefinitionEditSession>(bar);
  Connect();
  FillRows();
  if (session_->Rows() > 0)
    SelectOnly(session_->InitialRow(definitionEditor().PreselectIndex));
  else
    FillBlank();
  repeat_.setTimerType(Qt::PreciseTimer);
}

TNewsEditForm::~TNewsEditForm() = default;

void TNewsEditForm::BuildControls() {
  list_ = MakeDefinitionListView(this);
  list_->setMinimumHeight(200);

  auto line = [this](const char* name, int limit) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    if (limit > 0) connect(edit, &QLineEdit::textEdited, edit, [edit, limit] { KeepWithinBytes(edit, limit); });
    return edit;
  };
  url_ = line("Url", 200);
  title_ = line("Title", 100);
  mainUrl_ = line("MainUrl", 200);
  startMarker_ = line("StartMarker", 80);
  endMarker_ = line("EndMarker", 80);
  groupId_ = line("GroupId", 0);
  minChars_ = line("MinChars", 0);
  cellsX_ = line("TableCellsX", 0);
  cellsY_ = line("TableCellsY", 0);
  minChars_->setToolTip(QStringLiteral(u"この文字数を超えなければ、ニュースを取得しません"));
  for (QLineEdit* number : {groupId_, minChars_, cellsX_, cellsY_}) number->setMaximumWidth(70);

  auto combo = [this](const char* name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    return box;
  };
  category_ = combo("Category");
  for (const CategoryEntry& e : Categories()) category_->addItem(Text(e.name), e.code);
  startTag_ = combo("StartTag");
  for (int i = 0; i < kStartTagCount; ++i) startTag_->addItem(Text(StartTagText(i)), i);
  endTag_ = combo("EndTag");
  for (int i = 0; i < kEndTagCount; ++i) endTag_->addItem(Text(EndTagText(i)), i);
  // Region and channel are kept by "追加↓" but never shown.
  region_ = combo("Region");
  for (const RegionEntry& e : Regions()) region_->addItem(Text(e.name), e.code);
  channel_ = combo("Channel");
  for (int i = 0; i < kChannelCount; ++i) channel_->addItem(Text(ChannelName(i)), i);
  region_->hide();
  channel_->hide();

  auto check = [this](const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    return box;
  };
  showInMenu_ = check("ShowInMenu", QStringLiteral(u"メニューに表示する"));
  patrol_ = check("Patrol", QStringLiteral(u"巡回する"));
  alwaysFetch_ = check("AlwaysFetch", QStringLiteral(u"必ず取得"));
  favourite_ = check("Favourite", QStringLiteral(u"お気に入り"));
  euc_ = check("Euc", QStringLiteral("EUC"));
  jis_ = check("Jis", QStringLiteral(u"ＪＩＳ"));
  utf8_ = check("Utf8", QStringLiteral("UTF-8"));
  unicode_ = check("Unicode", QStringLiteral("Unicode"));
  unicode_->hide();
  cookie_ = check("UseCookie", QStringLiteral("Cookie"));
  board_ = check("BoardMode", QStringLiteral(u"２チャンネル"));
  horizontal_ = check("HorizontalTable", QStringLiteral(u"横テーブルモード"));
  vertical_ = check("VerticalTable", QStringLiteral(u"縦テーブルモード"));
  fetchTitle_ = check("FetchTitle", QStringLiteral(u"タイトル取得"));
  rss_ = check("Rss", QStringLiteral("RSS"));
  pluginAnalysis_ = check("PluginAnalysis", QStringLiteral(u"さらに解析"));

  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    // Enter in a field applies it; it never closes the dialog.
    b->setAutoDefault(false);
    return b;
  };
  new_ = button("New", QStringLiteral(u"新規"));
  applyAll_ = button("ApplyAll", QStringLiteral(u"追加↓"));
  duplicate_ = button("Duplicate", QStringLiteral(u"複製"));
  delete_ = button("Delete", QStringLiteral(u"削除"));
  up_ = button("Up", QStringLiteral(u"↑"));
  down_ = button("Down", QStringLiteral(u"↓"));
  ok_ = button("Ok", QStringLiteral("&OK"));
  cancel_ = button("Cancel", QStringLiteral(u"ｷｬﾝｾﾙ(&C)"));
  for (QPushButton* arrow : {up_, down_}) arrow->setMaximumWidth(40);

  auto label = [this](const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, this);
    l->setBuddy(buddy);
    return l;
  };
  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(8);
  fields->setVerticalSpacing(4);
  fields->addWidget(label(QStringLiteral(u"ヘッドラインニュースＵＲＬ"), url_), 0, 0);
  fields->addWidget(url_, 0, 1);
  fields->addWidget(label(QStringLiteral(u"カテゴリー"), category_), 0, 2);
  fields->addWidget(category_, 0, 3);
  fields->addWidget(label(QStringLiteral(u"ヘッドラインニュース名"), title_), 1, 0);
  fields->addWidget(title_, 1, 1);
  fields->addWidget(label(QStringLiteral(u"開始タグ"), startTag_), 1, 2);
  fields->addWidget(startTag_, 1, 3);
  fields->addWidget(label(QStringLiteral(u"メインUＲＬ(異なる場合）"), mainUrl_), 2, 0);
  fields->addWidget(mainUrl_, 2, 1);
  fields->addWidget(label(QStringLiteral(u"終了タグ"), endTag_), 2, 2);
  fields->addWidget(endTag_, 2, 3);
  fields->addWidget(label(QStringLiteral(u"ヘッドラインニュースの始め"), startMarker_), 3, 0);
  fields->addWidget(startMarker_, 3, 1);
  fields->addWidget(label(QStringLiteral(u"ＩＤ"), groupId_), 3, 2);
  fields->addWidget(groupId_, 3, 3, Qt::AlignLeft);
  fields->addWidget(label(QStringLiteral(u"ヘッドラインニュースの終り"), endMarker_), 4, 0);
  fields->addWidget(endMarker_, 4, 1);
  fields->addWidget(label(QStringLiteral(u"最小取得文字数"), minChars_), 4, 2);
  fields->addWidget(minChars_, 4, 3, Qt::AlignLeft);
  fields->setColumnStretch(1, 1);

  // A row of controls; nullptr leaves a gap between groups.
  auto row = [](std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    layout->setSpacing(12);
    for (QWidget* w : widgets) {
      if (w)
        layout->addWidget(w);
      else
        layout->addSpacing(28);
    }
    layout->addStretch(1);
    return layout;
  };
  auto* cells = new QHBoxLayout;
  cells->setSpacing(4);
  cells->addWidget(label(QStringLiteral(u"Ｘ升の数"), cellsX_));
  cells->addWidget(cellsX_);
  cells->addSpacing(8);
  cells->addWidget(label(QStringLiteral(u"Ｙ升の数"), cellsY_));
  cells->addWidget(cellsY_);
  auto* tables = row({horizontal_, vertical_});
  tables->insertLayout(2, cells);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  for (QPushButton* b : {new_, applyAll_, duplicate_, delete_, up_, down_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(6);
  layout->addWidget(list_, 1);
  layout->addLayout(fields);
  layout->addLayout(row({showInMenu_, patrol_, alwaysFetch_, favourite_, cookie_, board_}));
  layout->addLayout(row({euc_, jis_, utf8_, nullptr, fetchTitle_, rss_, pluginAnalysis_}));
  layout->addLayout(tables);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  resize(740, 600);
}

void TNewsEditForm::Connect() {
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { ListSelectionChanged(); });

  const std::pair<QLineEdit*, EditField> texts[] = {{url_, EditField::Url},
                                                    {title_, EditField::Title},
                                                    {mainUrl_, EditField::MainUrl},
                                                    {startMarker_, EditField::StartMarker},
                                                    {endMarker_, EditField::EndMarker}};
  for (auto [edit, field] : texts)
    connect(edit, &QLineEdit::editingFinished, this, [this, edit = edit, field = field] { TextEdited(edit, field); });
  const std::pair<QLineEdit*, EditField> numbers[] = {{groupId_, EditField::GroupId},
                                                      {minChars_, EditField::MinChars},
                                                      {cellsX_, EditField::TableCellsX},
                                                      {cellsY_, EditField::TableCellsY}};
  for (auto [edit, field] : numbers)
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit = edit, field = field] { NumberEdited(edit, field); });

  const std::pair<QComboBox*, EditField> lists[] = {
      {category_, EditField::Category}, {startTag_, EditField::StartTag}, {endTag_, EditField::EndTag}};
  for (auto [box, field] : lists)
    connect(box, &QComboBox::currentIndexChanged, this, [this, box = box, field = field](int index) {
      if (index >= 0) ValueChanged(field, box->itemData(index).toInt());
    });

  const std::pair<QCheckBox*, EditField> flags[] = {
      {showInMenu_, EditField::ShowInMenu}, {patrol_, EditField::Patrol},         {alwaysFetch_, EditField::AlwaysFetch},
      {favourite_, EditField::Favourite},   {cookie_, EditField::UseCookie},      {board_, EditField::BoardMode},
      {fetchTitle_, EditField::FetchTitle}, {rss_, EditField::Rss},               {pluginAnalysis_, EditField::PluginAnalysis}};
  for (auto [box, field] : flags)
    connect(box, &QCheckBox::clicked, this, [this, field = field](bool on) { ValueChanged(field, on ? 1 : 0); });
  for (QCheckBox* box : {euc_, jis_, utf8_})
    connect(box, &QCheckBox::clicked, this, [this, box] { EncodingClicked(box); });
  for (QCheckBox* box : {horizontal_, vertical_})
    connect(box, &QCheckBox::clicked, this, [this, box] { TableModeClicked(box); });

  connect(new_, &QPushButton::clicked, this, [this] { NewClick(); });
  connect(applyAll_, &QPushButton::clicked, this, [this] { ApplyAllClick(); });
  connect(duplicate_, &QPushButton::clicked, this, [this] { DuplicateClick(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteClick(); });
  connect(ok_, &QPushButton::clicked, this, [this] {
    CommitFocusedField();
    accept();
  });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  // Holding an arrow repeats it: first after 700 ms, then every 100 ms; the
  // click at the release moves once more.
  for (QPushButton* arrow : {up_, down_}) {
    const bool up = arrow == up_;
    connect(arrow, &QPushButton::pressed, this, [this, up] {
      repeatUp_ = up;
      repeat_.start(kRepeatDelayMs);
    });
    connect(arrow, &QPushButton::released, this, [this] { repeat_.stop(); });
    connect(arrow, &QPushButton::clicked, this, [this, up] { Move(up); });
  }
  connect(&repeat_, &QTimer::timeout, this, [this] {
    if (repeat_.interval() != kRepeatIntervalMs) repeat_.setInterval(kRepeatIntervalMs);
    Move(repeatUp_);
  });
}

LResult TNewsEditForm::WndProc(uint32_t msg, WParam wParam, LParam lParam) {
  if (msg == UM_SCROLLTOSELECTION) {
    if (wParam == 1 && lParam >= 0 && lParam < session_->Rows()) SelectOnly(static_cast<int>(lParam));
    ScrollToSelection();
  }
  return 0;
}

// ---- Rows ---------------------------------------------------------------------

void TNewsEditForm::FillRows() {
  const bool was = updating_;
  updating_ = true;
  list_->clear();
  QList<QTreeWidgetItem*> items;
  for (int i = 0; i < session_->Rows(); ++i) items.append(new QTreeWidgetItem);
  list_->addTopLevelItems(items);
  for (int i = 0; i < session_->Rows(); ++i) RefreshRow(i);
  updating_ = was;
}

void TNewsEditForm::RefreshRow(int row) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item || row >= session_->Rows()) return;
  const NewsDefinition& d = session_->List().Item(row);
  item->setText(0, Text(session_->Caption(row)));
  item->setText(1, Text(CategoryName(d.Category)));
  item->setText(2, Text(FieldText(d.Url)));
}

std::vector<int> TNewsEditForm::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int TNewsEditForm::FirstSelected() const {
  std::vector<int> rows = SelectedRows();
  return rows.empty() ? 0 : rows.front();
}

void TNewsEditForm::SelectOnly(int row) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item) return;
  updating_ = true;
  list_->clearSelection();
  list_->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  updating_ = false;
  FillControls(row);
  ScrollToSelection();
}

void TNewsEditForm::ScrollToSelection() {
  std::vector<int> rows = SelectedRows();
  if (QTreeWidgetItem* item = list_->topLevelItem(rows.empty() ? 0 : rows.front())) list_->scrollToItem(item);
}

// ---- Controls -----------------------------------------------------------------

void TNewsEditForm::ListSelectionChanged() {
  if (updating_) return;
  if (session_->Rows() == 0) {
    FillBlank();
    return;
  }
  FillControls(FirstSelected());
}

void TNewsEditForm::FillControls(int row) {
  if (row < 0 || row >= session_->Rows()) return;
  const NewsDefinition& d = session_->List().Item(row);
  updating_ = true;
  url_->setText(Text(FieldText(d.Url)));
  title_->setText(Text(FieldText(d.Title)));
  mainUrl_->setText(Text(FieldText(d.MainUrl)));
  startMarker_->setText(Text(FieldText(d.StartMarker)));
  endMarker_->setText(Text(FieldText(d.EndMarker)));
  groupId_->setText(QString::number(d.GroupId));
  minChars_->setText(QString::number(d.MinChars));
  cellsX_->setText(QString::number(d.TableCellsX));
  cellsY_->setText(QString::number(d.TableCellsY));
  const int category = IndexOfData(category_, d.Category);
  category_->setCurrentIndex(category >= 0 ? category : IndexOfData(category_, 0));
  startTag_->setCurrentIndex(d.StartTag < kStartTagCount ? d.StartTag : 0);
  endTag_->setCurrentIndex(d.EndTag < kEndTagCount ? d.EndTag : 0);
  region_->setCurrentIndex(IndexOfData(region_, d.Region));
  channel_->setCurrentIndex(d.Channel < kChannelCount ? d.Channel : -1);
  showInMenu_->setChecked(d.ShowInMenu);
  patrol_->setChecked(d.Patrol);
  alwaysFetch_->setChecked(d.AlwaysFetch);
  favourite_->setChecked(d.Favourite);
  euc_->setChecked(d.Encoding == 1);
  jis_->setChecked(d.Encoding == 2);
  utf8_->setChecked(d.Encoding == 3);
  unicode_->setChecked(d.Encoding == 4);
  cookie_->setChecked(d.UseCookie);
  board_->setChecked(d.BoardMode);
  horizontal_->setChecked(d.TableMode == 1);
  vertical_->setChecked(d.TableMode == 2);
  fetchTitle_->setChecked(d.FetchTitle);
  rss_->setChecked(d.Rss);
  pluginAnalysis_->setChecked(d.PluginAnalysis);
  EnableControls(d);
  updating_ = false;
  session_->Selected(row);
}

void TNewsEditForm::EnableControls(const NewsDefinition& d) {
  const bool notSponsored = d.Sponsor == 0;
  const bool addressEditable = notSponsored && d.PluginDefinition == 0;
  for (QWidget* w : std::initializer_list<QWidget*>{url_, mainUrl_, startMarker_, endMarker_, startTag_, endTag_})
    w->setEnabled(addressEditable);
  for (QWidget* w : std::initializer_list<QWidget*>{groupId_, minChars_, title_, showInMenu_, euc_, jis_, utf8_,
                                                    cookie_, board_, favourite_, horizontal_, vertical_, delete_,
                                                    duplicate_})
    w->setEnabled(notSponsored);
  for (QWidget* w : std::initializer_list<QWidget*>{category_, patrol_, alwaysFetch_, fetchTitle_, rss_,
                                                    pluginAnalysis_, applyAll_, up_, down_})
    w->setEnabled(true);
  pluginAnalysis_->setVisible(d.PluginDefinition != 0);
  const bool tableMode = horizontal_->isChecked() || vertical_->isChecked();
  cellsX_->setEnabled(notSponsored && tableMode);
  cellsY_->setEnabled(notSponsored && tableMode);
}

void TNewsEditForm::FillBlank() {
  // No definition is left: the controls show a blank one, and only "新規"
  // can make a definition to edit.
  updating_ = true;
  NewsDefinition blank = DefaultDefinition(1);
  url_->clear();
  title_->setText(Text(FieldText(blank.Title)));
  for (QLineEdit* e : {mainUrl_, startMarker_, endMarker_}) e->clear();
  for (QLineEdit* e : {groupId_, minChars_, cellsX_, cellsY_}) e->setText(QStringLiteral("0"));
  for (QComboBox* c : {category_, startTag_, endTag_, region_, channel_}) c->setCurrentIndex(0);
  for (QCheckBox* c : {alwaysFetch_, favourite_, euc_, jis_, utf8_, unicode_, cookie_, board_, horizontal_,
                       vertical_, fetchTitle_, rss_, pluginAnalysis_})
    c->setChecked(false);
  showInMenu_->setChecked(true);
  patrol_->setChecked(true);
  pluginAnalysis_->hide();
  for (QWidget* w : findChildren<QWidget*>())
    if (w != new_ && w != ok_ && w != cancel_ && w != list_ && !qobject_cast<QLabel*>(w) && w->parentWidget() == this)
      w->setEnabled(false);
  updating_ = false;
}

bool TNewsEditForm::WritesAllowed() const { return !updating_ && !url_->text().isEmpty(); }

void TNewsEditForm::TextEdited(QLineEdit* edit, EditField field) {
  // Only what the user changed is written: passing through a field with
  // several rows selected must not copy the first row's text into the others.
  if (updating_ || !edit->isModified() || session_->Rows() == 0) return;
  edit->setModified(false);
  Written(ApplyText(session_->List(), SelectedRows(), field, platform::QStringToSjis(edit->text())), After::Collapse);
}

void TNewsEditForm::NumberEdited(QLineEdit* edit, EditField field) {
  if (updating_ || !edit->isModified() || session_->Rows() == 0) return;
  edit->setModified(false);
  auto written = ApplyNumber(session_->List(), SelectedRows(), field, platform::QStringToSjis(edit->text()));
  if (!written) return;  // not a number, or out of range: the records stay as they are
  const bool keepSelection = field == EditField::GroupId || field == EditField::MinChars;
  Written(*written, keepSelection ? After::AlsoSelectFirst : After::Collapse);
}

void TNewsEditForm::ValueChanged(EditField field, int value) {
  if (!WritesAllowed() || session_->Rows() == 0) return;
  Written(ApplyValue(session_->List(), SelectedRows(), field, value), After::Collapse);
}

void TNewsEditForm::EncodingClicked(QCheckBox* box) {
  if (updating_) return;
  if (box->isChecked()) {
    updating_ = true;
    for (QCheckBox* other : {euc_, jis_, utf8_, unicode_})
      if (other != box) other->setChecked(false);
    updating_ = false;
  }
  ValueChanged(EditField::Encoding,
               EncodingFromBoxes(euc_->isChecked(), jis_->isChecked(), utf8_->isChecked(), unicode_->isChecked()));
}

void TNewsEditForm::TableModeClicked(QCheckBox* box) {
  if (updating_) return;
  if (box->isChecked()) {
    updating_ = true;
    (box == horizontal_ ? vertical_ : horizontal_)->setChecked(false);
    updating_ = false;
  }
  const bool tableMode = horizontal_->isChecked() || vertical_->isChecked();
  cellsX_->setEnabled(tableMode);
  cellsY_->setEnabled(tableMode);
  ValueChanged(EditField::TableMode, horizontal_->isChecked() ? 1 : vertical_->isChecked() ? 2 : 0);
}

void TNewsEditForm::Written(const std::vector<int>& rows, After after) {
  for (int row : rows) RefreshRow(row);
  const int first = FirstSelected();
  if (after == After::Collapse) {
    SelectOnly(first);
    return;
  }
  if (QTreeWidgetItem* item = list_->topLevelItem(first)) {
    updating_ = true;
    item->setSelected(true);
    updating_ = false;
    list_->scrollToItem(item);
  }
}

void TNewsEditForm::CommitFocusedField() {
  auto* edit = qobject_cast<QLineEdit*>(focusWidget());
  if (!edit) return;
  const std::pair<QLineEdit*, EditField> texts[] = {{url_, EditField::Url},
                                                    {title_, EditField::Title},
                                                    {mainUrl_, EditField::MainUrl},
                                                    {startMarker_, EditField::StartMarker},
                                                    {endMarker_, EditField::EndMarker}};
  for (auto [e, field] : texts)
    if (e == edit) TextEdited(e, field);
  const std::pair<QLineEdit*, EditField> numbers[] = {{groupId_, EditField::GroupId},
                                                      {minChars_, EditField::MinChars},
                                                      {cellsX_, EditField::TableCellsX},
                                                      {cellsY_, EditField::TableCellsY}};
  for (auto [e, field] : numbers)
    if (e == edit) NumberEdited(e, field);
}

// ---- Buttons ------------------------------------------------------------------

void TNewsEditForm::NewClick() {
  const int row = session_->New();
  FillRows();
  SelectOnly(row);
  url_->setFocus();
}

void TNewsEditForm::ApplyAllClick() {
  if (url_->text().isEmpty() || session_->Rows() == 0) return;
  auto choice = [](const QComboBox* box) -> std::optional<int> {
    if (box->currentIndex() < 0) return std::nullopt;
    return box->currentData().toInt();
  };
  FormContents form;
  form.url = platform::QStringToSjis(url_->text());
  form.title = platform::QStringToSjis(title_->text());
  form.startMarker = platform::QStringToSjis(startMarker_->text());
  form.endMarker = platform::QStringToSjis(endMarker_->text());
  form.showInMenu = showInMenu_->isChecked();
  form.patrol = patrol_->isChecked();
  form.alwaysFetch = alwaysFetch_->isChecked();
  form.encoding = EncodingFromBoxes(euc_->isChecked(), jis_->isChecked(), utf8_->isChecked(), unicode_->isChecked());
  form.useCookie = cookie_->isChecked();
  form.favourite = favourite_->isChecked();
  form.boardMode = board_->isChecked();
  form.category = choice(category_);
  form.region = choice(region_);
  form.channel = choice(channel_);
  form.endTag = choice(endTag_);
  form.startTag = choice(startTag_);
  for (int row : ApplyForm(session_->List(), SelectedRows(), form)) RefreshRow(row);
}

void TNewsEditForm::DuplicateClick() {
  const int row = session_->Duplicate(FirstSelected());
  if (row < 0) return;
  FillRows();
  SelectOnly(row);
  url_->setFocus();
}

void TNewsEditForm::DeleteClick() {
  std::vector<int> rows = SelectedRows();
  if (rows.empty() || session_->Rows() == 0) return;
  const int next = session_->Delete(rows);
  FillRows();
  if (next >= 0)
    SelectOnly(next);
  else
    FillBlank();
}

void TNewsEditForm::Move(bool up) {
  std::vector<int> rows = SelectedRows();
  std::vector<int> moved = up ? session_->MoveUp(rows) : session_->MoveDown(rows);
  if (moved.empty()) {
    repeat_.stop();
    return;
  }
  for (int row = std::max(moved.front() - 1, 0); row <= std::min(moved.back() + 1, session_->Rows() - 1); ++row)
    RefreshRow(row);
  updating_ = true;
  list_->clearSelection();
  list_->setCurrentItem(list_->topLevelItem(moved.front()), 0,
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  for (int row : moved) list_->topLevelItem(row)->setSelected(true);
  updating_ = false;
  FillControls(moved.front());
  ScrollToSelection();
}

// ---- Showing, placing and closing ---------------------------------------------

void TNewsEditForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  platform::PostMessage(Handle(), UM_SCROLLTOSELECTION, 0, 0);
  platform::ForceForeground(this);
  PostAppButton(1, -1);
}

void TNewsEditForm::KeepOnScreen() {
  if (!isVisible() || !screen()) return;
  const QRect frame = frameGeometry();
  const QRect placed = KeepOnMonitor(frame, screen()->geometry());
  if (placed != frame) move(placed.topLeft());
}

void TNewsEditForm::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  KeepOnScreen();
}

void TNewsEditForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  KeepOnScreen();
}

void TNewsEditForm::done(int result) {
  if (!closed_) {
    closed_ = true;
    repeat_.stop();
    session_->Finish(result == QDialog::Accepted);
    PostAppButton(0, -1);
  }
  QDialog::done(result);
}

}  // namespace lumetra
