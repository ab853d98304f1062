// The pointer's rules without a window: the headline under a point, hints
// and shapes, the auto-move dodge, single-click opening, the opened list, the
// clipboard text, headline colours and the headline keys.
#include "interaction/pointer_rules.h"

#include <gtest/gtest.h>

#include "platform/sjis_text.h"
#include "ticker/bar_geometry.h"
#include "ticker/line_table.h"

namespace lumetra {
namespace {

TEST(UrlAt, MapsThePointThroughTheLineTableOrTheSpecialViews) {
  // Lines 3, 4, 5 end at 100, 220 and 400 along the strip; 6 links.
  LineTable table;
  table.Append(100, 3);
  table.Append(220, 4);
  table.Append(400, 5);
  const std::vector<std::string> links = {"t", "a", "b", "c", "d", ""};
  struct Case {
    const char* what;
    bool weekly;
    std::optional<std::string> skinLink;
    QPoint point;
    int along;
    std::string url;
    int index;
    bool skin;
  };
  const QRect skinRect(20, 5, 100, 20);  // x 20-119, y 5-24
  const Case cases[] = {
      {"first line", false, {}, {}, 50, "c", 3, false},
      {"line end belongs to the next", false, {}, {}, 100, "d", 4, false},
      {"a line without a link", false, {}, {}, 300, "", 5, false},
      {"past every end: the shown line", false, {}, {}, 900, "", 5, false},
      {"weekly table: the first link", true, {}, {}, 50, "t", 0, false},
      {"skin link, far outside its text", false, std::string("skin"), {0, 0}, 50, "skin", -1, true},
      {"skin link, 8 pixels off counts as inside", false, std::string("skin"), {12, 15}, 50, "c", 3, false},
      {"skin link, 9 pixels off", false, std::string("skin"), {11, 15}, 50, "skin", -1, true},
      {"an empty skin link is none", false, std::string(), {0, 0}, 50, "c", 3, false},
  };
  for (const Case& c : cases) {
    UrlAtInput in;
    in.weeklyTable = c.weekly;
    in.skinLink = c.skinLink;
    in.skinRect = skinRect;
    in.point = c.point;
    in.along = c.along;
    in.lineAt = [&table, &links](int x) { return table.LineAt(x, 5, static_cast<int>(links.size())); };
    in.links = &links;
    const UrlHit hit = UrlAt(in);
    EXPECT_EQ(hit.url, c.url) << c.what;
    EXPECT_EQ(hit.index, c.index) << c.what;
    EXPECT_EQ(hit.skinLink, c.skin) << c.what;
  }
}

TEST(PointerHint, NamesTheSiteAndTheAddress) {
  EXPECT_EQ(PointerHint(SJ("ニュース"), {"http://a/", 2, false}), SJ("ニュース→http://a/"));
  EXPECT_EQ(PointerHint(SJ("ニュース"), {"", 2, false}), SJ("ニュース"));
  EXPECT_EQ(PointerHint(SJ("ニュース"), {"http://s/", -1, true}, SJ("スキン")), SJ("スキン <http://s/>"));
}

TEST(SizingShape, CornersDiagonalEdgesStraightInsideNone) {
  const std::pair<int, std::optional<PointerShape>> cases[] = {
      {kHitTopLeft, PointerShape::SizeDiagonal},      {kHitBottomRight, PointerShape::SizeDiagonal},
      {kHitTopRight, PointerShape::SizeAntiDiagonal}, {kHitBottomLeft, PointerShape::SizeAntiDiagonal},
      {kHitLeft, PointerShape::SizeHorizontal},       {kHitRight, PointerShape::SizeHorizontal},
      {kHitTop, PointerShape::SizeVertical},          {kHitBottom, PointerShape::SizeVertical},
      {kHitCaption, std::nullopt},
  };
  for (const auto& [hit, shape] : cases) EXPECT_EQ(SizingShape(hit), shape) << hit;
}

TEST(AutoMove, SixQuickMovesPassALimitOfFiveAndAPauseStartsAgain) {
  AutoMoveCounter counter;
  int64_t t = 1000;
  for (int i = 1; i <= 5; ++i) EXPECT_FALSE(counter.Move(t += 100, false, 5)) << i;
  EXPECT_TRUE(counter.Move(t += 100, false, 5));

  AutoMoveCounter paused;
  for (int i = 0; i < 5; ++i) paused.Move(t += 100, false, 5);
  EXPECT_FALSE(paused.Move(t += 500, false, 5));  // a pause of 500 ms: a new sweep
  EXPECT_EQ(paused.Count(), 1);

  AutoMoveCounter shifted;
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(shifted.Move(t += 10, true, 5));
}

TEST(AutoMove, TheBarDodgesLeftRightUpDownInThatOrder) {
  const QRect work(0, 0, 1000, 700);
  struct Case {
    QRect bar;
    QRect to;
  } cases[] = {
      {{400, 300, 200, 20}, {200, 300, 200, 20}},  // left
      {{100, 300, 200, 20}, {300, 300, 200, 20}},  // right: no room on the left
      {{100, 300, 850, 20}, {100, 280, 850, 20}},  // up: too long for either side
      {{100, 5, 850, 20}, {100, 25, 850, 20}},     // down
      {{0, 0, 1000, 700}, {-1000, 0, 1000, 700}},  // nowhere fits: left anyway
  };
  for (const Case& c : cases) EXPECT_EQ(DodgeRect(c.bar, work), c.to) << c.bar.x() << "," << c.bar.y();
  EXPECT_EQ(AutoMoveReturnInterval(5), 251);
}

TEST(AutoMove, TheBarReturnsAfterThreeTicksWithThePointerAwayFromItsPlace) {
  const QRect before(100, 100, 200, 20);
  AutoMoveCounter counter;
  counter.Set(3);
  EXPECT_FALSE(AutoMoveReturnTick(counter, before, {150, 110}));  // still over the place
  EXPECT_FALSE(AutoMoveReturnTick(counter, before, {96, 96}));    // 4 pixels off: still near
  EXPECT_FALSE(AutoMoveReturnTick(counter, before, {95, 110}));
  EXPECT_FALSE(AutoMoveReturnTick(counter, before, {500, 500}));
  EXPECT_TRUE(AutoMoveReturnTick(counter, before, {500, 500}));
}

TEST(SingleClick, APressOpensOnceByReleaseOrRestAndNeverTwiceWithin250Ms) {
  SingleClickOpener o;
  o.Press({10, 10});
  EXPECT_TRUE(o.Rest({10, 10}));
  EXPECT_FALSE(o.Rest({11, 10}));
  EXPECT_TRUE(o.Release({10, 10}, false));
  EXPECT_FALSE(o.Rest({10, 10}));  // the release consumed the press
  EXPECT_FALSE(o.Release({10, 10}, false));

  o.Press({10, 10});
  EXPECT_FALSE(o.Release({300, 10}, true));  // dragging the bar opens nothing

  EXPECT_TRUE(o.MayOpen("a", 1000));
  EXPECT_FALSE(o.MayOpen("a", 1249));
  EXPECT_TRUE(o.MayOpen("b", 1249));
  EXPECT_TRUE(o.MayOpen("b", 1499));  // 250 ms later
}

TEST(OpenedList, NewestFirstEachOnceAtMostTwenty) {
  std::deque<OpenedHeadline> list;
  for (int i = 0; i < 25; ++i) RememberOpened(list, "u" + std::to_string(i), "h");
  RememberOpened(list, "u10", "again");
  RememberOpened(list, "", "nothing");
  ASSERT_EQ(list.size(), 20u);
  EXPECT_EQ(list[0].url, "u10");
  EXPECT_EQ(list[0].headline, "again");
  EXPECT_EQ(list[1].url, "u24");
  EXPECT_EQ(list.back().url, "u5");
}

TEST(ClipboardText, HeadlineLineBreakAddressOrTheAddressAlone) {
  const std::vector<std::string> lines = {SJ(" サイト "), SJ("  見出し  "), "   "};
  EXPECT_EQ(ClipboardText(lines, 1, "http://a/1"), SJ("見出し") + "\nhttp://a/1");
  EXPECT_EQ(ClipboardText(lines, 2, "http://a/2"), "\nhttp://a/2");
  EXPECT_EQ(ClipboardText(lines, 3, "http://a/3"), "http://a/3");
  EXPECT_EQ(ClipboardText(lines, -1, "http://a/4"), "http://a/4");
}

TEST(HeadlineColour, EverySecondHeadlineTakesTheSecondColour) {
  for (int i = 0; i < 6; ++i) EXPECT_EQ(HeadlineColour(i, 0x111111, 0x222222), i % 2 ? 0x222222u : 0x111111u) << i;
}

TEST(JumpHeadline, TheLastTwoOrFirstTwoHeadlinesSwitchTheSite) {
  struct Case {
    int show, count;
    bool forward;
    bool switchSite;
    int target;
  } cases[] = {
      {2, 6, true, false, 3},  {3, 6, true, false, 4},  {4, 6, true, true, -1}, {5, 6, true, true, -1},
      {3, 6, false, false, 2}, {2, 6, false, false, 1}, {1, 6, false, true, -1}, {0, 6, false, true, -1},
  };
  for (const Case& c : cases) {
    const HeadlineJump jump = JumpHeadline(c.show, c.count, c.forward);
    EXPECT_EQ(jump.switchSite, c.switchSite) << c.show << (c.forward ? " forward" : " back");
    EXPECT_EQ(jump.target, c.target) << c.show << (c.forward ? " forward" : " back");
  }
}

}  // namespace
}  // namespace lumetra
