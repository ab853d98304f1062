// The editor window offscreen: every control writes into the selected
// records at once, OK keeps and saves, Cancel returns to the opening.
#include "dialogs/news_edit_form_ui.h"

#include <gtest/gtest.h>

#include "app/main_window_calls.h"
#include "app/messages.h"
#include "dialogs/editor_fixture.h"
#include "dialogs/window_support.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

using test::Child;
using test::SelectRows;
using test::Type;

class EditorWindow : public test::EditorTest {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    EditorTest::SetUp();
    MakeList();
    existing = {0};
  }
  void TearDown() override {
    form.reset();
    EditorTest::TearDown();
  }
  TNewsEditForm& Open(int bar = 0) {
    form = std::make_unique<TNewsEditForm>(bar);
    form->show();
    list = Child<QTreeWidget>(form.get(), "List");
    return *form;
  }
  template <typename T>
  T* C(const char* name) {
    return Child<T>(form.get(), name);
  }
  QString RowText(int row, int column = 0) { return list->topLevelItem(row)->text(column); }
  NewsDefinition& At(int i) { return NewsList().Item(i); }

  std::unique_ptr<TNewsEditForm> form;
  QTreeWidget* list = nullptr;
};

TEST_F(EditorWindow, OpensOnTheBarsDefinitionWithTheRowsOfTheList) {
  Open();
  EXPECT_EQ(form->windowTitle(), QStringLiteral(u"取得ニュースのカスタマイズ"));
  ASSERT_EQ(list->topLevelItemCount(), 8);  // the two generated board definitions are held back
  EXPECT_EQ(form->SelectedRows(), std::vector<int>{3});
  EXPECT_EQ(RowText(3), QStringLiteral(u"No.3  ■↓   Site 3"));
  EXPECT_EQ(RowText(2, 1), QStringLiteral(u"スポンサー"));
  EXPECT_EQ(RowText(7, 2), QStringLiteral("http://site9.example/"));
  EXPECT_EQ(C<QLineEdit>("Url")->text(), QStringLiteral("http://site3.example/"));
  EXPECT_EQ(At(3).LastModified, 0);  // the row shown is fetched as new next time
  EXPECT_TRUE(definitionEditor().EditorOpen);
  form->reject();
  EXPECT_FALSE(definitionEditor().EditorOpen);
}

TEST_F(EditorWindow, EditingAFieldWritesTheSelectedRecordAtOnce) {
  Open();
  Type(C<QLineEdit>("Title"), QStringLiteral(u"新しい名前"));
  EXPECT_EQ(FieldText(At(3).Title), SJ("新しい名前"));
  EXPECT_EQ(RowText(3), QStringLiteral(u"No.3  ■↓   新しい名前"));

  C<QComboBox>("Category")->setCurrentIndex(C<QComboBox>("Category")->findText(QStringLiteral(u"スポーツ")));
  EXPECT_EQ(At(3).Category, 10);
  EXPECT_EQ(RowText(3, 1), QStringLiteral(u"スポーツ"));
  C<QComboBox>("EndTag")->setCurrentIndex(8);
  EXPECT_EQ(At(3).EndTag, 8);

  // Several rows, a sponsored one among them: "巡回する" reaches them all,
  // "メニューに表示する" leaves the sponsored one as it is.
  SelectRows(list, {1, 2, 3});
  C<QCheckBox>("Patrol")->click();
  for (int row : {1, 2, 3}) {
    EXPECT_EQ(At(row).Patrol, 0) << row;
    EXPECT_TRUE(RowText(row).contains(QStringLiteral(u"－   "))) << row;
  }
  EXPECT_EQ(form->SelectedRows(), std::vector<int>{1});  // the selection collapses to the first row
  SelectRows(list, {1, 2, 3});
  C<QCheckBox>("ShowInMenu")->click();
  EXPECT_EQ(At(1).ShowInMenu, 0);
  EXPECT_EQ(At(2).ShowInMenu, 1);
  EXPECT_EQ(At(3).ShowInMenu, 0);

  // A field merely passed through with several rows selected copies nothing.
  SelectRows(list, {1, 3});
  auto* url = C<QLineEdit>("Url");
  url->setFocus();
  QTest::keyClick(url, Qt::Key_Return);
  EXPECT_EQ(FieldText(At(3).Url), "http://site3.example/");
}

TEST_F(EditorWindow, TextIsCutToTheBytesOfItsField) {
  Open();
  QString kanji(150, QChar(0x6F22));  // 漢, two bytes each in Shift_JIS
  Type(C<QLineEdit>("Title"), kanji);
  EXPECT_EQ(C<QLineEdit>("Title")->text(), kanji.left(50));
  EXPECT_EQ(FieldText(At(3).Title).size(), 100u);
  Type(C<QLineEdit>("StartMarker"), QString(100, QChar('x')));
  EXPECT_EQ(FieldText(At(3).StartMarker), std::string(80, 'x'));
}

TEST_F(EditorWindow, NumberFieldsKeepTheSelectionAndIgnoreWhatIsNoNumber) {
  Open();
  SelectRows(list, {0, 1});
  Type(C<QLineEdit>("GroupId"), "12 ");
  EXPECT_EQ(int{At(0).GroupId}, 12);
  EXPECT_EQ(int{At(1).GroupId}, 12);
  EXPECT_EQ(form->SelectedRows(), (std::vector<int>{0, 1}));
  Type(C<QLineEdit>("GroupId"), "13a");
  Type(C<QLineEdit>("MinChars"), "300");
  EXPECT_EQ(int{At(0).GroupId}, 12);
  EXPECT_EQ(At(0).MinChars, 0);
  Type(C<QLineEdit>("MinChars"), "255");
  EXPECT_EQ(At(0).MinChars, 255);
  EXPECT_EQ(At(1).MinChars, 255);
}

TEST_F(EditorWindow, EncodingAndTableBoxesExcludeOneAnother) {
  Open();
  auto* euc = C<QCheckBox>("Euc");
  auto* utf8 = C<QCheckBox>("Utf8");
  euc->click();
  EXPECT_EQ(At(3).Encoding, 1);
  utf8->click();
  EXPECT_FALSE(euc->isChecked());
  EXPECT_EQ(At(3).Encoding, 3);
  utf8->click();
  EXPECT_EQ(At(3).Encoding, 0);

  auto* cellsX = C<QLineEdit>("TableCellsX");
  EXPECT_FALSE(cellsX->isEnabled());
  C<QCheckBox>("HorizontalTable")->click();
  EXPECT_TRUE(cellsX->isEnabled());
  C<QCheckBox>("VerticalTable")->click();
  EXPECT_FALSE(C<QCheckBox>("HorizontalTable")->isChecked());
  EXPECT_EQ(At(3).TableMode, 2);
  Type(C<QLineEdit>("TableCellsY"), "4");
  EXPECT_EQ(At(3).TableCellsY, 4);

  // A record read as UTF-16 shows no visible box; choosing one replaces it.
  At(5).Encoding = 4;
  SelectRows(list, {5});
  EXPECT_FALSE(euc->isChecked() || utf8->isChecked() || C<QCheckBox>("Jis")->isChecked());
  C<QCheckBox>("Jis")->click();
  EXPECT_EQ(At(5).Encoding, 2);
  C<QCheckBox>("Jis")->click();
  EXPECT_EQ(At(5).Encoding, 0);
}

TEST_F(EditorWindow, ASponsoredDefinitionRefusesDeleteDuplicateAndAddressChange) {
  Open();
  SelectRows(list, {2});
  for (const char* name : {"Url", "MainUrl", "StartMarker", "EndMarker", "Title", "Delete", "Duplicate"})
    EXPECT_FALSE(C<QWidget>(name)->isEnabled()) << name;
  EXPECT_TRUE(C<QCheckBox>("Patrol")->isEnabled());

  // With an ordinary row first, the buttons work, and still pass it by.
  SelectRows(list, {1, 2});
  Type(C<QLineEdit>("Url"), "http://changed.example/");
  EXPECT_EQ(FieldText(At(1).Url), "http://changed.example/");
  EXPECT_EQ(FieldText(At(2).Url), "http://site2.example/");
  SelectRows(list, {1, 2});
  C<QPushButton>("ApplyAll")->click();
  EXPECT_EQ(FieldText(At(2).Url), "http://site2.example/");
  SelectRows(list, {1, 2});
  C<QPushButton>("Delete")->click();
  EXPECT_EQ(Titles(NewsList())[1], "Site 2");
  EXPECT_EQ(list->topLevelItemCount(), 7);
}

TEST_F(EditorWindow, APlugInDefinitionKeepsItsAddressAndOffersFurtherAnalysis) {
  Open();
  auto* analysis = C<QCheckBox>("PluginAnalysis");
  EXPECT_TRUE(analysis->isHidden());
  SelectRows(list, {4});
  EXPECT_FALSE(analysis->isHidden());
  EXPECT_FALSE(C<QLineEdit>("Url")->isEnabled());
  EXPECT_FALSE(C<QComboBox>("StartTag")->isEnabled());
  EXPECT_TRUE(C<QLineEdit>("Title")->isEnabled());
  analysis->click();
  EXPECT_EQ(At(4).PluginAnalysis, 1);
  EXPECT_TRUE(RowText(4).contains(QStringLiteral("* Site 4")));
}

TEST_F(EditorWindow, OkSavesAndTheFileReloadsWithTheChange) {
  Open();
  Type(C<QLineEdit>("Title"), QStringLiteral(u"変えた"));
  C<QPushButton>("Ok")->click();
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(definitionEditor().DefinitionsChanged);
  EXPECT_FALSE(definitionEditor().EditorOpen);
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(DefinitionsFile()));
  EXPECT_EQ(FieldText(saved.Item(3).Title), SJ("変えた"));
  EXPECT_TRUE(SameList(saved, NewsList()));
  EXPECT_EQ(Titles(saved).back(), "Site 8");  // the board definitions are back, at the end
  EXPECT_EQ(test::ReadFile(DefinitionsFile()), test::ReadFile(data + "/" + kDefinitionsBackupFile));
  EXPECT_EQ(shownAgain, std::vector<int>{0});
}

TEST_F(EditorWindow, OkTakesTheFieldBeingTypedIn) {
  Open();
  auto* title = C<QLineEdit>("Title");
  title->setFocus();
  title->selectAll();
  QTest::keyClicks(title, "Typed");
  C<QPushButton>("Ok")->click();  // as with Alt+O, the field keeps the focus
  EXPECT_EQ(FieldText(NewsList().Item(3).Title), "Typed");
}

TEST_F(EditorWindow, CancelAfterEditsRestoresTheListExactly) {
  TIPlist5 before = NewsList();
  bars()[1].Definition = 8;
  bars()[2].Definition = 9;
  Open();
  C<QPushButton>("New")->click();
  Type(C<QLineEdit>("Url"), "http://added.example/");
  SelectRows(list, {1});
  C<QPushButton>("Duplicate")->click();
  SelectRows(list, {5, 6});
  C<QPushButton>("Up")->click();
  C<QPushButton>("Down")->click();
  C<QPushButton>("Down")->click();
  SelectRows(list, {0});
  C<QPushButton>("Delete")->click();
  Type(C<QLineEdit>("Title"), "Changed");
  C<QCheckBox>("Rss")->click();
  ASSERT_NE(Titles(NewsList()), Titles(before));
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_FALSE(definitionEditor().DefinitionsChanged);
  EXPECT_EQ(Titles(NewsList()), Titles(before));
  EXPECT_TRUE(SameList(NewsList(), before));
  EXPECT_EQ(NewsList().CurrentIndex, 3);
  EXPECT_EQ(bars()[1].Definition, 8);
  EXPECT_EQ(bars()[2].Definition, 9);
}

TEST_F(EditorWindow, DeleteAndMoveKeepTheCurrentIndexesOfTheBars) {
  bars()[1].Definition = 5;  // Site 5
  bars()[2].Definition = 9;  // Site 9, row 7 while the editor is open
  Open();
  auto title = [](int index) { return FieldText(NewsList().Item(index).Title); };
  SelectRows(list, {0, 1});
  C<QPushButton>("Delete")->click();
  EXPECT_EQ(title(NewsList().CurrentIndex), "Site 3");
  EXPECT_EQ(title(bars()[1].Definition), "Site 5");
  EXPECT_EQ(form->SelectedRows(), std::vector<int>{0});  // the row that took the place
  SelectRows(list, {1, 3});
  C<QPushButton>("Down")->click();
  EXPECT_EQ(form->SelectedRows(), (std::vector<int>{2, 4}));
  C<QPushButton>("Up")->click();
  C<QPushButton>("Up")->click();
  EXPECT_EQ(form->SelectedRows(), (std::vector<int>{0, 2}));
  EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"Site 3", "Site 2", "Site 5", "Site 4", "Site 7", "Site 9"}));
  EXPECT_EQ(title(NewsList().CurrentIndex), "Site 3");
  EXPECT_EQ(title(bars()[1].Definition), "Site 5");
  EXPECT_EQ(title(bars()[2].Definition), "Site 9");
  EXPECT_EQ(RowText(0), QStringLiteral(u"No.0  ■↓   Site 3"));  // numbers follow the rows
  C<QPushButton>("Ok")->click();
  EXPECT_EQ(title(NewsList().CurrentIndex), "Site 3");
  EXPECT_EQ(title(bars()[2].Definition), "Site 9");
}

TEST_F(EditorWindow, NewAndDuplicateSelectTheirRowAndWaitForTheAddress) {
  Open();
  C<QPushButton>("New")->click();
  EXPECT_EQ(list->topLevelItemCount(), 9);
  EXPECT_EQ(form->SelectedRows(), std::vector<int>{8});
  EXPECT_EQ(C<QLineEdit>("Title")->text(), QStringLiteral("News 8"));
  EXPECT_TRUE(C<QLineEdit>("Url")->text().isEmpty());
  EXPECT_EQ(C<QLineEdit>("GroupId")->text(), QStringLiteral("0"));
  EXPECT_TRUE(C<QCheckBox>("ShowInMenu")->isChecked() && C<QCheckBox>("Patrol")->isChecked());
  EXPECT_EQ(C<QComboBox>("StartTag")->currentText(), QStringLiteral("<a>"));
  // Boxes wait for an address; the address itself is taken.
  C<QCheckBox>("Favourite")->click();
  EXPECT_EQ(At(8).Favourite, 0);
  Type(C<QLineEdit>("Url"), "http://new.example/");
  EXPECT_EQ(FieldText(At(8).Url), "http://new.example/");
  C<QCheckBox>("Favourite")->click();
  EXPECT_EQ(At(8).Favourite, 1);

  SelectRows(list, {1});
  C<QPushButton>("Duplicate")->click();
  EXPECT_EQ(form->SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(RowText(2), QStringLiteral(u"No.2  －↓   Site 1"));
  EXPECT_EQ(RowText(3), QStringLiteral(u"No.3  －↓   Site 2"));
}

TEST_F(EditorWindow, DeletingEveryDefinitionLeavesOnlyNew) {
  At(2).Sponsor = 0;
  Open();
  std::vector<int> all;
  for (int i = 0; i < list->topLevelItemCount(); ++i) all.push_back(i);
  SelectRows(list, all);
  C<QPushButton>("Delete")->click();
  EXPECT_EQ(list->topLevelItemCount(), 0);
  EXPECT_EQ(C<QLineEdit>("Title")->text(), QStringLiteral("News 1"));
  EXPECT_FALSE(C<QLineEdit>("Url")->isEnabled());
  EXPECT_FALSE(C<QPushButton>("Delete")->isEnabled());
  C<QPushButton>("New")->click();
  EXPECT_EQ(list->topLevelItemCount(), 1);
  EXPECT_TRUE(C<QLineEdit>("Url")->isEnabled());
  C<QPushButton>("Ok")->click();
  // The held board definitions come back after the new one.
  EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"News 0", "Site 6", "Site 8"}));
}

TEST_F(EditorWindow, HoldingAnArrowRepeatsItAfter700MsThenEvery100Ms) {
  for (int i = 0; i < 20; ++i) NewsList().Append(test::Definition("More " + std::to_string(i), "http://m/"));
  Open();
  SelectRows(list, {0});
  auto* down = C<QPushButton>("Down");
  QElapsedTimer clock;
  // Moves due after `ms` of holding: at 700, 800, 900 ... ms. A busy
  // machine may deliver the latest one a little late.
  auto expectMovesAfter = [&](qint64 ms) {
    const int moved = form->SelectedRows().front();
    const int due = ms < 700 ? 0 : 1 + static_cast<int>((ms - 700) / 100);
    EXPECT_LE(moved, due) << ms << " ms";
    EXPECT_GE(moved, std::max(due - 1, 0)) << ms << " ms";
    return moved;
  };
  QTest::mousePress(down, Qt::LeftButton);
  clock.start();
  test::Pump(600);
  expectMovesAfter(clock.elapsed());
  while (clock.elapsed() < 950) test::Pump(5);
  const int held = expectMovesAfter(clock.elapsed());
  EXPECT_GE(held, 2);
  QTest::mouseRelease(down, Qt::LeftButton);
  const int released = form->SelectedRows().front();
  EXPECT_EQ(released, held + 1);  // the click at the release
  test::Pump(300);
  EXPECT_EQ(form->SelectedRows().front(), released);
}

TEST_F(EditorWindow, MessageScrollsToAndSelectsARow) {
  for (int i = 0; i < 60; ++i) NewsList().Append(test::Definition("More " + std::to_string(i), "http://m/"));
  Open();
  platform::SendMessage(form->Handle(), UM_SCROLLTOSELECTION, 1, 60);
  EXPECT_EQ(form->SelectedRows(), std::vector<int>{60});
  const QRect shown = list->visualItemRect(list->topLevelItem(60));
  EXPECT_TRUE(list->viewport()->rect().contains(shown.center()));
  EXPECT_EQ(C<QLineEdit>("Title")->text(), QStringLiteral("More 52"));
}

TEST_F(EditorWindow, ShowingAndClosingTellTheMainWindowAboutTheTaskbarButton) {
  std::vector<std::pair<platform::WParam, platform::LParam>> got;
  platform::MessagePort main([&](uint32_t msg, platform::WParam w, platform::LParam l) -> platform::LResult {
    if (msg == UM_APPBUTTON) got.emplace_back(w, l);
    return 0;
  });
  InstallMainWindowCalls({main.Handle(), {}, {}, {}});
  Open();
  form->reject();
  test::Pump();
  InstallMainWindowCalls({});
  using Kind = std::pair<platform::WParam, platform::LParam>;
  EXPECT_EQ(got, (std::vector<Kind>{{1, -1}, {0, -1}}));
}

}  // namespace
}  // namespace lumetra
