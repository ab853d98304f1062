// RowSplit: rows joined, moved up and split by the bar's line mode and skin
// layout, the minimum length, and where a long row is broken.
#include <gtest/gtest.h>

#include "extraction/row_split.h"
#include "platform/fixed_text.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

HeadlineRows Rows(const char* a, const char* b = "", const char* c = "") { return {SJ(a), SJ(b), SJ(c)}; }

std::vector<std::string> Utf8(const HeadlineRows& rows) {
  return {platform::SjisToUtf8(rows[0]), platform::SjisToUtf8(rows[1]), platform::SjisToUtf8(rows[2])};
}

struct SplitCase {
  const char* name;
  RowSplitOptions options;
  HeadlineRows in;
  bool emitted;
  std::vector<std::string> out;  // UTF-8
};

RowSplitOptions Mode(int lineMode, bool link = true, int layout = 0) {
  RowSplitOptions o;
  o.lineMode = lineMode;
  o.endTagIsLink = link;
  o.skinLayout = layout;
  return o;
}

TEST(RowSplit, LineModesLayoutsAndMinimumLength) {
  RowSplitOptions shortOk = Mode(1);
  shortOk.acceptShort = true;
  RowSplitOptions announcement = Mode(1, false);
  announcement.announcement = true;
  RowSplitOptions fullWidth = Mode(1);
  fullWidth.characterMode = 4;
  const std::vector<SplitCase> cases = {
      {"one line, </a>: rows 2 and 3 join", Mode(1), Rows("最初の行の見出しです", "二行目", "三行目"), true,
       {"最初の行の見出しです", "二行目三行目", ""}},
      {"one line, other end tag: row 2 joins row 1, row 3 becomes row 2", Mode(1, false),
       Rows("見出しの前半", "後半です", "補足"), true, {"見出しの前半 後半です", "補足", ""}},
      {"two lines, tile, other end tag: row 3 moves up", Mode(0, false), Rows("前半", "後半です", "補足の文"), true,
       {"前半 後半です", "補足の文", ""}},
      {"two lines, a long row 1 is split at a preferred place", Mode(0),
       Rows("政府は新しい経済対策を、来週の閣議で決定する方針です"), true,
       {"政府は新しい経済対策を、", "来週の閣議で決定する方針です", ""}},
      {"two lines on a fixed skin: no split", Mode(0, true, 2), Rows("政府は新しい経済対策を、来週の閣議で決定する方針です"),
       true, {"政府は新しい経済対策を、来週の閣議で決定する方針です", "", ""}},
      {"three lines, tile: rows stay, a long row 1 goes into three",
       Mode(2), Rows("東京都は二十日、新しい防災計画を発表し、住民への周知を始めると明らかにしました"), true,
       {"東京都は二十日、新しい防災計画を", "発表し、住民への周知を", "始めると明らかにしました"}},
      {"three lines on a region skin: joined as for one line", Mode(2, true, 3), Rows("見出しの一行目です", "二", "三"),
       true, {"見出しの一行目です", "二三", ""}},
      {"a short row 1 takes the first longer row", Mode(1), Rows("写真", "長い説明の文がここにあります"), true,
       {"長い説明の文がここにあります", "", ""}},
      {"too short for </a> (10 bytes)", Mode(1), Rows("短い見出し"), false, {"", "", ""}},
      {"4 bytes are enough with another end tag", Mode(1, false), Rows("台風速報"), true, {"台風速報", "", ""}},
      {"... but not for the announcement file", announcement, Rows("台風速報"), false, {"", "", ""}},
      {"AcceptShort keeps a short headline", shortOk, Rows("晴れ"), true, {"晴れ", "", ""}},
      {"full-width display", fullWidth, Rows("ABC news 123"), true, {"ＡＢＣ ｎｅｗｓ １２３", "", ""}},
  };
  for (const SplitCase& c : cases) {
    HeadlineRows rows = c.in;
    EXPECT_EQ(RowSplit(rows, c.options), c.emitted) << c.name;
    EXPECT_EQ(Utf8(rows), c.out) << c.name;
  }
}

TEST(RowSplit, BreaksPreferMarksAndNeverSplitACharacter) {
  struct Case {
    const char* text;
    size_t nearChar;
    const char* first;
  };
  const std::vector<Case> cases = {
      {"新しい経済対策を、来週決定へ", 9, "新しい経済対策を、"},   // after "、"
      {"大雨の影響「交通機関に遅れ」続く", 6, "大雨の影響"},         // before "「"
      {"ひらがなカタカナ漢字", 5, "ひらがな"},                       // a change of class
  };
  for (const Case& c : cases) {
    const std::string text = SJ(c.text);
    const size_t at = SplitPosition(text, c.nearChar * 2);
    EXPECT_EQ(platform::SjisToUtf8(text.substr(0, at)), c.first) << c.text;
  }
  const std::string mixed = SJ("ABCあいうｱｲｳ漢字DEF、GHI");
  for (size_t near = 0; near <= mixed.size(); ++near) {
    const size_t at = SplitPosition(mixed, near);
    ASSERT_LE(at, mixed.size());
    EXPECT_EQ(platform::SjisPrefixLength(mixed, at), at) << near;
  }
}

}  // namespace
}  // namespace lumetra
