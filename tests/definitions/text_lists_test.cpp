// The text lists of the data folder.
#include "definitions/text_lists.h"

#include <gtest/gtest.h>

#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

TEST(TextLists, BlankLinesAreSkippedAndEntriesTrimmedExceptTheFinds) {
  test::TempFolder folder;
  const std::string path = folder / "SearchList.txt";
  test::WriteFile(path, "  first \r\n\r\n \t \r\n" + SJ("　全角で始まる") + "\t\r\nlast line without end");
  TextList list = {"old"};
  ASSERT_TRUE(LoadTextList(path, list));
  EXPECT_EQ(list, (TextList{"first", SJ("　全角で始まる"), "last line without end"}));

  TextList finds;
  ASSERT_TRUE(LoadTextList(path, finds, true));
  EXPECT_EQ(finds, (TextList{"  first ", SJ("　全角で始まる") + "\t", "last line without end"}));
}

TEST(TextLists, FoundListSurvivesWritingAndReading) {
  test::TempFolder folder;
  const std::string path = folder / "SearchMuchList.txt";
  const TextList finds = {SJ("☆\t2024/03/09\t見出し\thttp://a.example/\t地震\r"),
                          SJ("　\t2024/03/08\t別の見出し\thttp://b.example/\t選挙\r")};
  ASSERT_TRUE(SaveTextList(path, finds));
  EXPECT_NE(test::ReadFile(path).find("\r\r\n"), std::string::npos);
  TextList read;
  ASSERT_TRUE(LoadTextList(path, read, true));
  EXPECT_EQ(read, finds);
}

TEST(TextLists, MissingFileKeepsTheListAndLongFilesStopAtTheLimit) {
  test::TempFolder folder;
  TextList list = {"kept"};
  EXPECT_FALSE(LoadTextList(folder / "none.txt", list));
  EXPECT_EQ(list, TextList{"kept"});

  std::string many;
  for (int i = 0; i < kMaxTextListLines + 100; ++i) many += "k" + std::to_string(i) + "\r\n";
  test::WriteFile(folder / "many.txt", many);
  ASSERT_TRUE(LoadTextList(folder / "many.txt", list));
  EXPECT_EQ(list.size(), static_cast<size_t>(kMaxTextListLines));
  EXPECT_EQ(list.back(), "k65534");

  // One endless line is cut rather than kept whole.
  test::WriteFile(folder / "wide.txt", std::string(300000, 'x') + "\r\nnext\r\n");
  ASSERT_TRUE(LoadTextList(folder / "wide.txt", list));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_LT(list[0].size(), 70000u);
  EXPECT_EQ(list[1], "next");
}

TEST(TextLists, StartUpLoadsTheBoardListOnlyWhenEnabled) {
  test::TempFolder folder;
  test::WriteFile(folder / kBoardListFile, "ニュース\r\n");
  test::WriteFile(folder / kSpamListFile, "rule\t\r\n");
  textLists().BoardList = {"stale"};
  LoadTextLists(folder.path(), false);
  EXPECT_TRUE(textLists().BoardList.empty());
  EXPECT_EQ(textLists().SpamList, TextList{"rule"});
  LoadTextLists(folder.path(), true);
  EXPECT_EQ(textLists().BoardList, TextList{"ニュース"});
}

}  // namespace
}  // namespace lumetra
