// The history list of a definition: the line format, reading the file, and
// the merge rules per kind of definition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/settings.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "retrieval/headline_store.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

using Lines = std::vector<std::string>;

std::string Line(int day, const std::string& text, const std::string& address, const std::string& kept = {},
                 bool keyword = false) {
  return HistoryLine(day, kept, keyword, text, address);
}

TEST(HistoryLine, FieldsAreTabTerminatedAndReadByPosition) {
  const std::string line = Line(19000, "Big news today", "http://a.jp/1", "note", true);
  EXPECT_EQ(line, "19000\tnote\t1\tBig news today\thttp://a.jp/1\t");
  EXPECT_EQ(FieldOf(line, 0), "19000");
  EXPECT_EQ(FieldOf(line, 1), "note");
  EXPECT_EQ(FieldOf(line, 2), "1");
  EXPECT_EQ(FieldOf(line, 3), "Big news today");
  EXPECT_EQ(FieldOf(line, 4), "http://a.jp/1");
  EXPECT_EQ(FieldOf(line, 5), "");  // absent
  EXPECT_EQ(FieldOf("19000\t\t0\ttext without end", 3), "");  // no tab follows: absent
  EXPECT_EQ(FieldOf(line, -1), "");
  // A tab or line break inside a headline cannot shift the fields.
  const std::string odd = Line(1, "a\tb\r\nc", "http://x\t/");
  EXPECT_EQ(FieldOf(odd, 3), "a b  c");
  EXPECT_EQ(FieldOf(odd, 4), "http://x /");
  EXPECT_EQ(DayNumber(QDate(1970, 1, 2)), 1);
}

TEST(HistoryList, ReadingKeepsTheLastTabSkipsEmptyLinesAndStopsAtTheLength) {
  test::TempFolder folder;
  const std::string path = folder / "h.lst";
  test::WriteFile(path, "  " + Line(5, "first headline", "u1") + "  \r\n\r\n" + Line(5, "second headline", "u2") +
                            "\n" + Line(5, "third headline", "u3") + "\r\n");
  Lines read = ReadHistoryList(path, 100);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(FieldOf(read[0], 4), "u1");  // trimmed, but its last field survives
  EXPECT_EQ(ReadHistoryList(path, 2).size(), 2u);
  EXPECT_TRUE(ReadHistoryList(folder / "missing.lst", 100).empty());

  // More than ten empty lines end the reading.
  test::WriteFile(path, Line(5, "before the gap", "u1") + "\r\n" + std::string(11, '\n') + Line(5, "after", "u2") + "\n");
  EXPECT_EQ(ReadHistoryList(path, 100).size(), 1u);
}

struct MergeCase {
  const char* name;
  Lines history;
  Lines collected;  // page order
  HistoryRules rules;
  Lines expected;
};

TEST(MergeHistory, RulesPerKindOfDefinition) {
  const HistoryRules plain{false, false, 100}, board{false, true, 100}, weather{true, false, 100};
  const std::vector<MergeCase> cases = {
      {"same page, same day: unchanged",
       {Line(10, "Headline one", "u1"), Line(10, "Headline two", "u2")},
       {Line(10, "Headline one", "u1"), Line(10, "Headline two", "u2")},
       plain,
       {Line(10, "Headline one", "u1"), Line(10, "Headline two", "u2")}},
      {"a later day updates field 0 in place and keeps field 1",
       {Line(10, "Headline one", "u1", "kept"), Line(10, "Headline two", "u2")},
       {Line(11, "Headline two", "u2"), Line(11, "Headline one", "u1", {}, true)},
       plain,
       {Line(11, "Headline one", "u1", "kept", true), Line(11, "Headline two", "u2")}},
      {"new headlines go on top, the last collected first",
       {Line(10, "Old headline", "u0")},
       {Line(11, "New headline A", "ua"), Line(11, "New headline B", "ub")},
       plain,
       {Line(11, "New headline B", "ub"), Line(11, "New headline A", "ua"), Line(10, "Old headline", "u0")}},
      {"an empty history takes the new lines in that order",
       {},
       {Line(11, "New headline A", "ua"), Line(11, "New headline B", "ub")},
       plain,
       {Line(11, "New headline B", "ub"), Line(11, "New headline A", "ua")}},
      {"same text at a new address is a new headline",
       {Line(10, "Moved headline", "old")},
       {Line(10, "Moved headline", "new")},
       plain,
       {Line(10, "Moved headline", "new"), Line(10, "Moved headline", "old")}},
      {"boards: the address alone decides",
       {Line(10, "Thread title (100)", "t/1")},
       {Line(11, "Thread title (150)", "t/1"), Line(11, "Other thread (3)", "t/2")},
       board,
       {Line(11, "Other thread (3)", "t/2"), Line(11, "Thread title (150)", "t/1")}},
      {"weather: the first six bytes decide",
       {Line(10, " 12/3 rain 80% 10C", "w")},
       {Line(11, " 12/3 sun 10% 15C", "w")},
       weather,
       {Line(11, " 12/3 sun 10% 15C", "w")}},
      {"texts of five bytes or fewer are skipped; a headline twice on a page is taken once",
       {},
       {Line(11, "short", "s"), Line(11, "Twice on the page", "d"), Line(11, "Twice on the page", "d")},
       plain,
       {Line(11, "Twice on the page", "d")}},
  };
  for (const MergeCase& c : cases) {
    Lines history = c.history;
    ASSERT_TRUE(MergeHistoryLines(history, c.collected, c.rules)) << c.name;
    EXPECT_EQ(history, c.expected) << c.name;
  }
}

class MergeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    app().DataFolder = folder.path();
    app().QuitAllowed = false;
    NewsList() = TIPlist5();
    settings() = Settings();
    barHeadlines(0) = BarHeadlines();
    NewsDefinition d = DefaultDefinition(0);
    SetFieldText(d.Title, "Site");
    index = NewsList().Append(d);
  }
  test::TempFolder folder;
  int index = 0;
};

TEST_F(MergeFile, AFullHistoryLosesItsOldestLines) {
  settings().HistoryLength = 10;
  Lines history;
  for (int i = 0; i < 10; ++i) history.push_back(Line(10, "Old headline " + std::to_string(i), "o"));
  ASSERT_TRUE(WriteHistoryList(NewsList().ListPath(index), history, 10));
  Lines loaded;
  LoadHistory(index, loaded);
  ASSERT_EQ(loaded, history);

  ASSERT_TRUE(MergeHistory(0, index, loaded, {Line(11, "Fresh headline A", "a"), Line(11, "Fresh headline B", "b")}));
  Lines after = ReadHistoryList(NewsList().ListPath(index), 500);
  ASSERT_EQ(after.size(), 10u);
  EXPECT_EQ(FieldOf(after[0], 3), "Fresh headline B");
  EXPECT_EQ(FieldOf(after[1], 3), "Fresh headline A");
  EXPECT_EQ(FieldOf(after[9], 3), "Old headline 7");
  EXPECT_FALSE(barHeadlines(0).Merging);
}

TEST_F(MergeFile, NoMergeWhileOneRunsOrWhileClosing) {
  Lines history;
  barHeadlines(0).Merging = true;
  EXPECT_FALSE(MergeHistory(0, index, history, {Line(11, "Fresh headline", "a")}));
  barHeadlines(0).Merging = false;
  app().QuitAllowed = true;
  EXPECT_FALSE(MergeHistory(0, index, history, {Line(11, "Fresh headline", "a")}));
  app().QuitAllowed = false;
  EXPECT_FALSE(platform::FileExists(NewsList().ListPath(index)));
  EXPECT_TRUE(MergeHistory(0, index, history, {Line(11, "Fresh headline", "a")}));
  EXPECT_TRUE(platform::FileExists(NewsList().ListPath(index)));
}

}  // namespace
}  // namespace lumetra
