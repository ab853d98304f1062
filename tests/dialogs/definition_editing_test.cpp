// The editor's rules and list bookkeeping, without a window.
#include "dialogs/definition_editing.h"

#include <gtest/gtest.h>

#include "dialogs/editor_fixture.h"
#include "platform/file_io.h"

namespace lumetra {
namespace {

using test::Definition;

class Editing : public test::EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    MakeList();
  }
  NewsDefinition& At(int i) { return NewsList().Item(i); }
};

TEST(DefinitionCaptions, NumberMarksAndTitle) {
  struct Case {
    int index, current;
    bool numbered;
    uint8_t hasNew, seen, patrol, plugin;
    const char* expected;
  };
  const Case cases[] = {
      {7, 3, true, 0, 0, 1, 0, "No.7  －↓   Title"},
      {42, 3, true, 0, 0, 1, 0, "No.42 －↓   Title"},
      {123, 3, true, 0, 0, 1, 0, "No.123－↓   Title"},
      {3, 3, true, 0, 0, 1, 0, "No.3  ■↓   Title"},        // the bar's definition
      {3, 3, true, 1, 1, 1, 0, "No.3  ★↓   Title"},        // ... with news
      {5, 3, false, 1, 0, 1, 0, "☆↓   Title"},             // news not seen yet
      {5, 3, false, 1, 1, 1, 0, "－↓   Title"},             // news seen
      {5, 3, false, 0, 0, 0, 0, "－－   Title"},              // not patrolled
      {5, 3, false, 0, 0, 1, 1, "－↓ * Title"},              // plug-in
  };
  for (const Case& c : cases) {
    TIPlist5 list;
    NewsDefinition& d = list.Item(c.index);
    d = Definition("Title", "http://x/");
    d.HasNew = c.hasNew;
    d.Seen = c.seen;
    d.Patrol = c.patrol;
    d.PluginDefinition = c.plugin;
    list.Count = c.index + 1;
    EXPECT_EQ(DefinitionCaption(list, c.current, c.numbered, c.index), SJ(c.expected)) << c.expected;
  }
}

TEST(DefinitionCaptions, SearchDefinitionsLoseTheirNewsAndPatrol) {
  TIPlist5 list;
  NewsDefinition d = Definition("Find", "http://x/?q=%s");
  d.Category = kCategorySearch;
  d.HasNew = d.Seen = d.Patrol = 1;
  list.Append(d);
  EXPECT_EQ(DefinitionCaption(list, 0, false, 0), SJ("■－   Find"));
  EXPECT_EQ(list.Item(0).HasNew + list.Item(0).Seen + list.Item(0).Patrol, 0);
}

TEST(WholeNumbers, TheNumberBeforeABlankCounts) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"12", 12}, {"12 ", 12}, {"12 apples", 12}, {" 7", 7}, {"-3", -3}, {"+5", 5}, {"0", 0},
      {"2147483647", 2147483647}, {"12a", std::nullopt}, {"", std::nullopt}, {" ", std::nullopt},
      {"a12", std::nullopt}, {"1.5", std::nullopt}, {"+-5", std::nullopt}, {"2147483648", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseWholeNumber(text), expected) << '"' << text << '"';
}

TEST_F(Editing, EachFieldIsWrittenOnlyIntoTheRowsThatTakeIt) {
  // Rows 1 ordinary, 2 sponsored, 4 plug-in, all selected.
  const std::vector<int> rows = {1, 2, 4};
  struct Case {
    EditField field;
    int value;
    std::vector<int> written;
    bool resetsDate;
  };
  const Case cases[] = {
      {EditField::ShowInMenu, 0, {1, 4}, true},     {EditField::Patrol, 0, {1, 2, 4}, true},
      {EditField::AlwaysFetch, 1, {1, 2, 4}, true}, {EditField::Favourite, 1, {1, 4}, true},
      {EditField::UseCookie, 1, {1, 4}, true},      {EditField::BoardMode, 1, {1, 4}, true},
      {EditField::Encoding, 3, {1, 4}, true},       {EditField::Category, 14, {1, 4}, true},
      {EditField::TableMode, 2, {1, 4}, true},      {EditField::StartTag, 6, {1}, true},
      {EditField::EndTag, 8, {1}, true},            {EditField::GroupId, -7, {1, 4}, false},
      {EditField::MinChars, 255, {1, 4}, false},    {EditField::TableCellsX, 0, {1, 2, 4}, false},
      {EditField::TableCellsY, 99, {1, 2, 4}, false}, {EditField::FetchTitle, 1, {1, 2}, false},
      {EditField::Rss, 1, {1, 2}, false},           {EditField::PluginAnalysis, 1, {4}, false},
  };
  for (const Case& c : cases) {
    Reset();
    MakeList();
    EXPECT_EQ(ApplyValue(NewsList(), rows, c.field, c.value), c.written) << static_cast<int>(c.field);
    for (int row : rows) {
      const bool written = std::count(c.written.begin(), c.written.end(), row) > 0;
      EXPECT_EQ(At(row).LastModified == 0, written && c.resetsDate) << static_cast<int>(c.field) << " row " << row;
    }
  }
  Reset();
  MakeList();
  ApplyValue(NewsList(), rows, EditField::Patrol, 0);
  EXPECT_EQ(At(2).Patrol, 0);  // the sponsored row too
  ApplyValue(NewsList(), rows, EditField::ShowInMenu, 0);
  EXPECT_EQ(At(2).ShowInMenu, 1);
  EXPECT_EQ(At(1).ShowInMenu, 0);
}

TEST_F(Editing, TextsKeepSponsoredAndPlugInAddressesAndAreCutToTheirFields) {
  const std::vector<int> rows = {1, 2, 4};
  EXPECT_EQ(ApplyText(NewsList(), rows, EditField::Url, "http://new.example/"), std::vector<int>{1});
  EXPECT_EQ(ApplyText(NewsList(), rows, EditField::StartMarker, "<ul>"), std::vector<int>{1});
  EXPECT_EQ(FieldText(At(4).StartMarker), "/usr/lib/lumetra/plugin.so");
  EXPECT_EQ(FieldText(At(2).Url), "http://site2.example/");
  EXPECT_EQ(ApplyText(NewsList(), rows, EditField::Title, SJ("新しい名前")), (std::vector<int>{1, 4}));
  EXPECT_EQ(FieldText(At(4).Title), SJ("新しい名前"));

  // 60 double-byte characters are 120 bytes: the title keeps 50 of them.
  std::string kanji;
  for (int i = 0; i < 60; ++i) kanji += SJ("漢");
  ApplyText(NewsList(), {1}, EditField::Title, kanji);
  EXPECT_EQ(FieldText(At(1).Title), kanji.substr(0, 100));
  ApplyText(NewsList(), {1}, EditField::EndMarker, "x" + kanji);  // 80 bytes: 'x' and 39 characters
  EXPECT_EQ(FieldText(At(1).EndMarker), "x" + kanji.substr(0, 78));
}

TEST_F(Editing, NumberFieldsTakeOnlyWholeNumbersInTheirRange) {
  struct Case {
    EditField field;
    const char* text;
    bool taken;
  };
  const Case cases[] = {
      {EditField::GroupId, "12 ", true},  {EditField::GroupId, "12a", false}, {EditField::MinChars, "300", false},
      {EditField::MinChars, "255", true}, {EditField::MinChars, "-1", false}, {EditField::TableCellsX, "0", true},
      {EditField::TableCellsX, "100", false}, {EditField::TableCellsY, "0", false}, {EditField::TableCellsY, "1", true},
  };
  for (const Case& c : cases) {
    At(1).LastModified = 1;
    auto written = ApplyNumber(NewsList(), {1}, c.field, c.text);
    EXPECT_EQ(written.has_value(), c.taken) << c.text;
  }
  EXPECT_EQ(int{At(1).GroupId}, 12);
  EXPECT_EQ(At(1).MinChars, 255);
  EXPECT_EQ(At(1).TableCellsY, 1);
  EXPECT_EQ(At(1).LastModified, 1);  // numbers leave the page date alone
}

TEST_F(Editing, ApplyAllWritesTheFormIntoEverySelectedRowWithinTheProtections) {
  FormContents form;
  form.url = "http://same.example/";
  form.title = "Same";
  form.startMarker = "<ul>";
  form.endMarker = "</ul>";
  form.showInMenu = false;
  form.patrol = false;
  form.encoding = 1;
  form.category = 20;
  form.region = 13;
  form.channel = 4;
  form.startTag = 6;
  form.endTag = 8;
  EXPECT_EQ(ApplyForm(NewsList(), {1, 2, 3, 4}, form), (std::vector<int>{1, 2, 3, 4}));
  for (int row : {1, 3}) {
    EXPECT_EQ(FieldText(At(row).Url), "http://same.example/");
    EXPECT_EQ(FieldText(At(row).Title), "Same");
    EXPECT_EQ(At(row).Category, 20);
    EXPECT_EQ(At(row).Region, 13);
    EXPECT_EQ(At(row).Channel, 4);
    EXPECT_EQ(At(row).StartTag, 6);
    EXPECT_EQ(At(row).Encoding, 1);
  }
  EXPECT_EQ(FieldText(At(2).Url), "http://site2.example/");  // sponsored: only its patrol choice
  EXPECT_EQ(FieldText(At(2).Title), "Site 2");
  EXPECT_EQ(At(2).Patrol, 0);
  EXPECT_EQ(FieldText(At(4).Url), "http://site4.example/");  // plug-in: keeps address and markers
  EXPECT_EQ(FieldText(At(4).Title), "Same");
  for (int row : {1, 2, 3, 4}) EXPECT_EQ(At(row).LastModified, 0);
  EXPECT_EQ(At(5).LastModified, 45005);
}

TEST(EncodingBoxes, TheFirstCheckedBoxCounts) {
  EXPECT_EQ(EncodingFromBoxes(false, false, false, false), 0);
  EXPECT_EQ(EncodingFromBoxes(true, true, false, false), 1);
  EXPECT_EQ(EncodingFromBoxes(false, true, true, false), 2);
  EXPECT_EQ(EncodingFromBoxes(false, false, true, true), 3);
  EXPECT_EQ(EncodingFromBoxes(false, false, false, true), 4);
}

TEST(Placement, AWindowBesideOrAboveItsMonitorComesBack) {
  const QRect monitor(0, 0, 1024, 768);
  const std::pair<QRect, QPoint> cases[] = {
      {QRect(100, 100, 300, 200), QPoint(100, 100)},   // on the monitor
      {QRect(-250, 100, 300, 200), QPoint(-250, 100)},  // partly off: stays
      {QRect(1024, 100, 300, 200), QPoint(0, 100)},     // wholly right
      {QRect(-300, 900, 300, 200), QPoint(0, 0)},       // wholly left and below
      {QRect(50, -200, 300, 200), QPoint(50, 0)},       // wholly above
  };
  for (const auto& [window, expected] : cases) EXPECT_EQ(KeepOnMonitor(window, monitor).topLeft(), expected);
}

// ---- The session ----------------------------------------------------------------

TEST_F(Editing, OpeningSavesTheListAndHoldsTheGeneratedBoardDefinitions) {
  existing = {0};
  TIPlist5 before = NewsList();
  {
    DefinitionEditSession session(0);
    EXPECT_TRUE(definitionEditor().EditorOpen);
    TIPlist5 saved;
    ASSERT_TRUE(saved.LoadDefinitions(DefinitionsFile()));
    EXPECT_TRUE(SameList(saved, before));
    EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"Site 0", "Site 1", "Site 2", "Site 3", "Site 4",
                                                             "Site 5", "Site 7", "Site 9"}));
    EXPECT_EQ(Titles(HoldingList()), (std::vector<std::string>{"Site 6", "Site 8"}));
    EXPECT_EQ(session.Rows(), 8);
    EXPECT_EQ(session.BarCurrent(), 3);
    session.Finish(true);
    EXPECT_FALSE(definitionEditor().EditorOpen);
    EXPECT_TRUE(definitionEditor().DefinitionsChanged);
  }
  // OK: they come back at the end, in their order.
  EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"Site 0", "Site 1", "Site 2", "Site 3", "Site 4", "Site 5",
                                                           "Site 7", "Site 9", "Site 6", "Site 8"}));
  EXPECT_EQ(HoldingList().Count, 0);
  EXPECT_EQ(shownAgain, std::vector<int>{0});
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(DefinitionsFile()));
  EXPECT_TRUE(SameList(saved, NewsList()));
  EXPECT_EQ(test::ReadFile(DefinitionsFile()), test::ReadFile(data + "/" + kDefinitionsBackupFile));
  for (int i = 0; i < NewsList().Count; ++i) EXPECT_EQ(NewsList().Item(i).MenuDirty, 1);
}

TEST_F(Editing, HeldBoardDefinitionsKeepTheirPageCaches) {
  const std::string cache = NewsList().CachePath(6);
  test::WriteFile(cache, "page");
  DefinitionEditSession session(0);
  EXPECT_TRUE(platform::FileExists(cache));
  session.Finish(false);
  EXPECT_TRUE(platform::FileExists(cache));
}

TEST_F(Editing, CancelReturnsToTheListAndTheBarsOfTheOpening) {
  existing = {0, 2};
  bars()[2].Definition = 9;
  bars()[3].Definition = 8;  // shows a generated board definition
  TIPlist5 before = NewsList();
  {
    DefinitionEditSession session(2);
    EXPECT_EQ(session.BarCurrent(), 7);  // "Site 9" after the two held ones
    session.Delete({0, 1, 5});
    session.MoveUp({4});
    session.Duplicate(2);
    session.New();
    ApplyText(NewsList(), {0}, EditField::Title, "Changed");
    session.Finish(false);
    EXPECT_FALSE(definitionEditor().DefinitionsChanged);
  }
  EXPECT_TRUE(SameList(NewsList(), before));
  EXPECT_EQ(NewsList().CurrentIndex, 3);
  EXPECT_EQ(bars()[2].Definition, 9);
  EXPECT_EQ(bars()[3].Definition, 8);
  EXPECT_EQ(HoldingList().Count, 0);
  EXPECT_TRUE(shownAgain.empty());
}

TEST_F(Editing, CancelWithoutTheSavedFileStillReturnsToTheOpening) {
  TIPlist5 before = NewsList();
  DefinitionEditSession session(0);
  session.Delete({1, 3});
  platform::RemoveFile(DefinitionsFile());  // gone, or unreadable
  session.Finish(false);
  EXPECT_TRUE(SameList(NewsList(), before));
  EXPECT_EQ(NewsList().CurrentIndex, 3);
}

TEST_F(Editing, TheBarsKeepShowingTheirDefinitions) {
  // bars()[b].Definition for bars 1-5 and CurrentIndex for bar 0, named by
  // title so that the test states which definition each bar must show.
  struct Case {
    const char* what;
    std::function<void(DefinitionEditSession&)> edit;
  };
  const Case cases[] = {
      {"delete above", [](DefinitionEditSession& s) { s.Delete({1}); }},
      {"delete several", [](DefinitionEditSession& s) { s.Delete({0, 6}); }},
      {"move up", [](DefinitionEditSession& s) { s.MoveUp({3}); }},
      {"move a block up", [](DefinitionEditSession& s) { s.MoveUp({3, 4, 5}); }},
      {"move down", [](DefinitionEditSession& s) { s.MoveDown({3}); }},
      {"move a block down", [](DefinitionEditSession& s) { s.MoveDown({1, 3, 5}); }},
      {"duplicate above", [](DefinitionEditSession& s) { s.Duplicate(1); }},
      {"new", [](DefinitionEditSession& s) { s.New(); }},
  };
  for (const Case& c : cases) {
    Reset();
    MakeList();
    NewsList().CurrentIndex = 3;     // Site 3
    bars()[1].Definition = 5;        // Site 5
    bars()[4].Definition = 9;        // Site 9
    bars()[5].Definition = 8;        // Site 8, a held board definition
    DefinitionEditSession session(0);
    c.edit(session);
    auto title = [](int index) { return FieldText(NewsList().Item(index).Title); };
    EXPECT_EQ(title(NewsList().CurrentIndex), "Site 3") << c.what;
    EXPECT_EQ(title(bars()[1].Definition), "Site 5") << c.what;
    EXPECT_EQ(title(bars()[4].Definition), "Site 9") << c.what;
    session.Finish(true);
    EXPECT_EQ(title(bars()[5].Definition), "Site 8") << c.what;
    EXPECT_EQ(title(NewsList().CurrentIndex), "Site 3") << c.what;
  }
}

TEST_F(Editing, DeletingTheBarsDefinitionLeavesItOnThePreviousOne) {
  bars()[1].Definition = 5;
  DefinitionEditSession session(0);
  EXPECT_EQ(session.Delete({3, 5}), 3);
  EXPECT_EQ(NewsList().CurrentIndex, 2);
  EXPECT_EQ(bars()[1].Definition, 3);
  EXPECT_EQ(FieldText(NewsList().Item(3).Title), "Site 4");
}

TEST_F(Editing, SponsoredDefinitionsAreNeitherDeletedNorDuplicated) {
  DefinitionEditSession session(0);
  EXPECT_EQ(session.Delete({2}), 2);
  EXPECT_EQ(session.Rows(), 8);
  EXPECT_EQ(session.Duplicate(2), -1);
  EXPECT_EQ(session.Rows(), 8);
  EXPECT_EQ(session.Delete({1, 2, 3}), 1);  // the others go
  EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"Site 0", "Site 2", "Site 4", "Site 5", "Site 7", "Site 9"}));
}

TEST_F(Editing, DeleteSelectsTheRowThatTookThePlaceAndReportsAnEmptyList) {
  DefinitionEditSession session(0);
  EXPECT_EQ(session.Delete({6, 7}), 5);  // past the end: the last row
  std::vector<int> all;
  for (int i = 0; i < session.Rows(); ++i) all.push_back(i);
  At(2).Sponsor = 0;
  EXPECT_EQ(session.Delete(all), -1);
  EXPECT_EQ(session.Rows(), 0);
}

TEST_F(Editing, MovesStopAtTheEndsAndResetThePageDates) {
  DefinitionEditSession session(0);
  EXPECT_TRUE(session.MoveUp({0, 3}).empty());
  EXPECT_TRUE(session.MoveDown({3, 7}).empty());
  EXPECT_EQ(session.MoveUp({3, 5}), (std::vector<int>{2, 4}));
  EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"Site 0", "Site 1", "Site 3", "Site 2", "Site 5", "Site 4",
                                                           "Site 7", "Site 9"}));
  for (int i : {2, 3, 4, 5}) EXPECT_EQ(At(i).LastModified, 0) << i;
  EXPECT_EQ(At(1).LastModified, 45001);
  EXPECT_EQ(session.MoveDown({0, 1}), (std::vector<int>{1, 2}));
  EXPECT_EQ(Titles(NewsList())[0], "Site 3");
}

TEST_F(Editing, DuplicateInsertsACopyAfterTheRow) {
  DefinitionEditSession session(0);
  EXPECT_EQ(session.Duplicate(3), 4);
  EXPECT_EQ(Titles(NewsList()), (std::vector<std::string>{"Site 0", "Site 1", "Site 2", "Site 3", "Site 3", "Site 4",
                                                           "Site 5", "Site 7", "Site 9"}));
  EXPECT_EQ(FieldText(At(4).Url), "http://site3.example/");
  EXPECT_EQ(At(4).LastModified, 0);
}

TEST_F(Editing, NewAppendsAFreshDefinitionWithoutAStalePageCache) {
  DefinitionEditSession session(0);
  NewsDefinition fresh = DefaultDefinition(8);
  TIPlist5 probe;
  probe.Append(fresh);
  const std::string stale = probe.CachePath(0);  // "News/News 8.dat"
  test::WriteFile(stale, "an old page");
  EXPECT_EQ(session.New(), 8);
  EXPECT_EQ(session.Rows(), 9);
  EXPECT_EQ(FieldText(At(8).Title), "News 8");
  EXPECT_EQ(At(8).ShowInMenu + At(8).Patrol, 2);
  EXPECT_FALSE(platform::FileExists(stale));
}

TEST_F(Editing, TheFirstRowIsThePreselectedOneElseTheBarsDefinition) {
  existing = {1};
  bars()[1].Definition = 9;
  struct Case {
    int bar, preselect, row;
  };
  const Case cases[] = {
      {1, 5, 5},   // before the held ones: the same index
      {1, 9, 7},   // after them: the row it now has
      {1, 8, 7},   // a held one: the bar's definition instead
      {1, 99, 7},  // out of range
      {1, -1, 7},
      {3, -1, 0},  // a bar that does not exist
      {3, 4, 4},
  };
  for (const Case& c : cases) {
    DefinitionEditSession session(c.bar);
    EXPECT_EQ(session.InitialRow(c.preselect), c.row) << c.bar << " " << c.preselect;
    session.Finish(false);
  }
}

}  // namespace
}  // namespace lumetra
