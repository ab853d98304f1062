// The bar's plain rules: placement, size limits, text height, hit test,
// monitor recovery, docking, dragging, the slide and auto-hide.
#include "ticker/bar_geometry.h"

#include <gtest/gtest.h>

#include "ticker/ticker_bar.h"

namespace lumetra {
namespace {

TEST(BarPlacement, PlacementAsksForAnEdgeUnlessTheBarMustFloat) {
  struct Case {
    int placement;
    bool weekly, fixedSkin;
    int edge;
  };
  const Case cases[] = {
      {0, false, false, kEdgeFloat}, {1, false, false, kEdgeFloat}, {2, false, false, kEdgeTop},
      {3, false, false, kEdgeBottom}, {4, false, false, kEdgeLeft}, {5, false, false, kEdgeRight},
      {3, true, false, kEdgeFloat},  {2, false, true, kEdgeFloat},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EdgeForPlacement(c.placement, c.weekly, c.fixedSkin), c.edge) << "placement " << c.placement;
}

TEST(BarPlacement, EdgeItemsDoNothingWithAFixedSkin) {
  for (int chosen = 2; chosen <= 5; ++chosen) {
    EXPECT_EQ(ChoosePlacement(0, chosen, true), 0) << chosen;
    EXPECT_EQ(ChoosePlacement(0, chosen, false), chosen) << chosen;
  }
  // "自動配置" and "自動配置しない" still work.
  EXPECT_EQ(ChoosePlacement(3, 1, true), 1);
  EXPECT_EQ(ChoosePlacement(1, 0, true), 0);
  EXPECT_EQ(ChoosePlacement(3, 9, false), 3);
}

TEST(BarPlacement, DraggingWritesTheEdgeBack) {
  EXPECT_EQ(PlacementAfterDrag(kEdgeTop, 0), 2);
  EXPECT_EQ(PlacementAfterDrag(kEdgeBottom, 1), 3);
  EXPECT_EQ(PlacementAfterDrag(kEdgeLeft, 0), 4);
  EXPECT_EQ(PlacementAfterDrag(kEdgeRight, 3), 5);
  EXPECT_EQ(PlacementAfterDrag(kEdgeFloat, 3), 0);
  EXPECT_EQ(PlacementAfterDrag(kEdgeFloat, 1), 1);
}

TEST(BarSizes, ThreeLineBarsDockedAtTheTopStayWithin36And360) {
  const int a = LineFactor(2, false);
  ASSERT_EQ(a, 3);
  const std::pair<int, int> cases[] = {{5, 36}, {36, 36}, {200, 200}, {360, 360}, {1000, 360}};
  for (auto [stored, expected] : cases) {
    BarSlot slot;
    slot.LineMode = 2;
    slot.HorzDockSize = stored;
    slot.VertDockSize = stored;
    ClampDockSizes(slot, a);
    EXPECT_EQ(slot.HorzDockSize, expected) << stored;
    EXPECT_EQ(slot.VertDockSize, expected) << stored;
    // The re-layout holds the client height of the docked bar the same way.
    EXPECT_EQ(ClampThickness(stored, a, false, 0), expected) << stored;
  }
  EXPECT_EQ(ClampThickness(1000, 1, false, 90), 210);  // the weather rows add to the most
  EXPECT_EQ(ClampThickness(1000, 1, true, 90), 120);
}

TEST(BarSizes, AnAbsurdFloatingSizeIsReplaced) {
  BarSlot slot;
  slot.FloatLeft = 300, slot.FloatRight = 305;  // 5 wide, one line
  slot.FloatTop = 50, slot.FloatBottom = 71;
  ClampFloatRect(slot, LineFactor(1, false), false);
  EXPECT_EQ(slot.FloatLeft, 0);
  EXPECT_EQ(slot.FloatRight, 200);
  EXPECT_EQ(slot.FloatTop, 50);  // 21 high is enough
  slot.FloatTop = 50, slot.FloatBottom = 55;
  ClampFloatRect(slot, 1, false);
  EXPECT_EQ(slot.FloatTop, 0);
  EXPECT_EQ(slot.FloatBottom, 16);
  // A fixed-size skin takes its picture's size anyway.
  BarSlot skin;
  skin.FloatLeft = 300, skin.FloatRight = 305;
  ClampFloatRect(skin, 1, true);
  EXPECT_EQ(skin.FloatLeft, 300);
}

TEST(BarSizes, LineModeAndLedSwitchesScaleTheSizes) {
  struct Case {
    int from, to;
    int dock;
  };
  const Case cases[] = {{1, 0, 42}, {0, 1, 10}, {1, 2, 63}, {2, 1, 7}, {0, 2, 31}, {2, 0, 14}};
  for (const Case& c : cases) {
    BarSlot s;
    s.LineMode = c.from;
    s.HorzDockSize = 21;
    s.VertDockSize = s.HorzDockSize;
    s.FloatTop = 100, s.FloatBottom = 121;
    ChangeLineMode(s, c.to, false);
    EXPECT_EQ(s.LineMode, c.to);
    EXPECT_EQ(s.HorzDockSize, c.dock) << c.from << "->" << c.to;
    EXPECT_EQ(s.FloatBottom, 121);  // the floating bar keeps its bottom
    EXPECT_EQ(s.FloatBottom - s.FloatTop, c.dock);
  }
  BarSlot skin;
  ChangeLineMode(skin, 2, true);  // a skin is always one line thick
  EXPECT_EQ(skin.HorzDockSize, 21);

  BarSlot led;
  led.HorzDockSize = 30, led.FloatTop = 100, led.FloatBottom = 130;
  ChangeLedStyle(led, true);
  EXPECT_EQ(led.HorzDockSize, 45);
  EXPECT_EQ(led.FloatTop, 85);
  ChangeLedStyle(led, false);
  EXPECT_EQ(led.HorzDockSize, 30);
  EXPECT_EQ(led.FloatTop, 100);
}

TEST(BarText, FontHeightPerLineModeAndLook) {
  struct Case {
    const char* what;
    FontHeightInput in;
    int height;
  };
  const Case cases[] = {
      {"gradation, one line, default bar", {21, 1, false, 2, 0, false, false}, 17},
      {"simple, one line, outline", {21, 1, false, 1, 2, false, false}, 15},
      {"simple, two lines", {42, 0, false, 1, 1, false, false}, 18},  // (42 - 3 - 2) / 2
      {"simple, three lines", {63, 2, false, 1, 1, false, false}, 19},  // round(57 / 3)
      {"simple, thick one line", {39, 1, false, 1, 1, false, false}, 35},
      {"LED board one line", {39, 1, true, 1, 1, false, false}, 10},   // round((39 - 6 - 2) / 3)
      {"LED board two lines", {78, 0, true, 1, 1, false, false}, 11},  // round((78 - 9 - 2) / 6)
      {"LED board three lines", {117, 2, true, 1, 1, false, false}, 11},  // round((117 - 12 - 2) / 9)
      {"text offsets", {30, 1, false, 7, 1, true, false}, 21},
  };
  for (const Case& c : cases) EXPECT_EQ(ShowFontHeightFor(c.in), c.height) << c.what;
}

TEST(BarPointer, AColourKeyedBarSizesOnlyFromTheBottomRightSquare) {
  const QSize size(200, 21);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) {
      const bool corner = x >= 196 && y >= 17;
      ASSERT_EQ(BarHitTest({x, y}, size, 10, false, 0), corner ? kHitBottomRight : kHitCaption) << x << "," << y;
    }
}

TEST(BarPointer, AnOpaqueBarSizesFromItsBand) {
  const QSize size(200, 21);
  const std::pair<QPoint, int> cases[] = {
      {{0, 0}, kHitTopLeft},     {{199, 0}, kHitTopRight}, {{0, 20}, kHitBottomLeft}, {{199, 20}, kHitBottomRight},
      {{3, 10}, kHitLeft},       {{196, 10}, kHitRight},   {{100, 3}, kHitTop},       {{100, 17}, kHitBottom},
      {{4, 4}, kHitCaption},     {{195, 16}, kHitCaption},
  };
  for (auto [p, hit] : cases) EXPECT_EQ(BarHitTest(p, size, 255, false, 0), hit) << p.x() << "," << p.y();
  // Glass: a band of MarginX div 2, whatever the alpha.
  EXPECT_EQ(BarHitTest({6, 10}, size, 255, true, 12), kHitCaption);
  EXPECT_EQ(BarHitTest({5, 10}, size, 10, true, 12), kHitLeft);
}

TEST(BarPointer, ADockedBarSizesOnlyFromItsInnerEdge) {
  EXPECT_EQ(DockedHitCode(kHitTop, kEdgeBottom), kHitTop);
  EXPECT_EQ(DockedHitCode(kHitTopRight, kEdgeBottom), kHitTop);
  EXPECT_EQ(DockedHitCode(kHitBottom, kEdgeBottom), kHitCaption);
  EXPECT_EQ(DockedHitCode(kHitLeft, kEdgeBottom), kHitCaption);
  EXPECT_EQ(DockedHitCode(kHitBottomLeft, kEdgeTop), kHitBottom);
  EXPECT_EQ(DockedHitCode(kHitRight, kEdgeLeft), kHitRight);
  EXPECT_EQ(DockedHitCode(kHitBottomLeft, kEdgeRight), kHitLeft);
  EXPECT_EQ(DockedHitCode(kHitLeft, kEdgeFloat), kHitLeft);
}

std::vector<MonitorArea> TwoMonitors() {
  return {{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)},
          {QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 994)}};
}

TEST(BarMonitors, ABarOffEveryMonitorComesBackOntoTheNearestWorkArea) {
  struct Case {
    const char* what;
    QRect bar;
    std::optional<QRect> expected;
  };
  const Case cases[] = {
      {"on the first monitor", QRect(100, 100, 600, 21), std::nullopt},
      {"within the 8-pixel grace", QRect(-8, 1067, 600, 21), std::nullopt},
      {"a detached monitor to the right", QRect(3500, 400, 600, 21), QRect(2600, 400, 600, 21)},
      {"a detached monitor above", QRect(500, -900, 600, 21), QRect(500, 0, 600, 21)},
      {"below the taskbar of the first", QRect(100, 1075, 600, 21), QRect(100, 1019, 600, 21)},
      {"under the second's top panel", QRect(2000, -40, 600, 21), QRect(2000, 30, 600, 21)},
      {"wider than its monitor", QRect(-3000, 100, 4000, 21), QRect(0, 100, 128, 21)},
      {"taller than its monitor", QRect(100, -100, 21, 2000), QRect(100, 0, 21, 64)},
  };
  for (const Case& c : cases) {
    const std::optional<QRect> got = RecoverOntoMonitor(c.bar, TwoMonitors(), false);
    EXPECT_EQ(got, c.expected) << c.what;
  }
  // A weather table keeps at least 128 x 64.
  EXPECT_EQ(RecoverOntoMonitor(QRect(5000, 10, 100, 40), TwoMonitors(), true), QRect(3072, 30, 128, 64));
  EXPECT_EQ(NearestMonitor(QRect(1900, 10, 100, 20), TwoMonitors()), 1);  // most of it on the second
  EXPECT_EQ(NearestMonitor(QRect(0, 0, 1, 1), {}), -1);
}

TEST(BarDocking, DockedBarsSitBesidePanelsAndEachOther) {
  const QRect monitor(0, 0, 1280, 800);
  DockNeighbours none;
  EXPECT_EQ(DockedRect(kEdgeBottom, monitor, none, 21), QRect(0, 779, 1280, 21));
  EXPECT_EQ(DockedRect(kEdgeTop, monitor, none, 30), QRect(0, 0, 1280, 30));
  EXPECT_EQ(DockedRect(kEdgeLeft, monitor, none, 21), QRect(0, 0, 21, 800));
  EXPECT_EQ(DockedRect(kEdgeRight, monitor, none, 21), QRect(1259, 0, 21, 800));

  DockNeighbours panel;
  panel.others = {0, 24, 0, 40};  // a top panel and a bottom taskbar
  panel.ownBefore = 21;           // bar 0 already docked at the bottom
  EXPECT_EQ(DockedRect(kEdgeBottom, monitor, panel, 21), QRect(0, 718, 1280, 21));
  DockNeighbours side;
  side.others = {0, 24, 0, 40};
  side.ownBottom = 21;
  EXPECT_EQ(DockedRect(kEdgeRight, QRect(1280, 0, 1024, 768), side, 21), QRect(2283, 24, 21, 683));

  EXPECT_EQ(AutoHiddenRect(kEdgeBottom, QRect(0, 779, 1280, 21)), QRect(0, 798, 1280, 2));
  EXPECT_EQ(AutoHiddenRect(kEdgeTop, QRect(0, 0, 1280, 21)), QRect(0, 0, 1280, 2));
  EXPECT_EQ(AutoHiddenRect(kEdgeLeft, QRect(0, 0, 21, 800)), QRect(0, 0, 2, 800));
  EXPECT_EQ(AutoHiddenRect(kEdgeRight, QRect(1259, 0, 21, 800)), QRect(1278, 0, 2, 800));
}

TEST(BarDocking, DraggingNearAnEdgeDocksUnlessTheBarMayNot) {
  const QRect m(0, 0, 1280, 800);
  EXPECT_EQ(EdgeForDragPoint({640, 790}, m, 0, false, false), kEdgeBottom);
  EXPECT_EQ(EdgeForDragPoint({640, 5}, m, 3, false, false), kEdgeTop);
  EXPECT_EQ(EdgeForDragPoint({10, 400}, m, 0, false, false), kEdgeLeft);
  EXPECT_EQ(EdgeForDragPoint({1270, 400}, m, 0, false, false), kEdgeRight);
  EXPECT_EQ(EdgeForDragPoint({640, 400}, m, 3, false, false), kEdgeFloat);
  EXPECT_EQ(EdgeForDragPoint({640, 790}, m, 1, false, false), kEdgeFloat);  // free placement
  EXPECT_EQ(EdgeForDragPoint({640, 790}, m, 0, true, false), kEdgeFloat);   // fixed skin
  EXPECT_EQ(EdgeForDragPoint({640, 790}, m, 0, false, true), kEdgeFloat);   // weather table

  EXPECT_EQ(DraggedFloatRect({500, 300}, {20, 5}, {400, 21}), QRect(480, 295, 400, 21));
  // Grabbed far along a docked bar: the floating size still holds the pointer.
  EXPECT_EQ(DraggedFloatRect({500, 300}, {900, 5}, {400, 21}), QRect(101, 295, 400, 21));

  const QRect start(100, 100, 400, 21);
  EXPECT_EQ(SizedRect(start, kHitBottomRight, {50, 10}, {12, 12}), QRect(100, 100, 450, 31));
  EXPECT_EQ(SizedRect(start, kHitTop, {0, 30}, {12, 12}), QRect(100, 109, 400, 12));
  EXPECT_EQ(SizedRect(start, kHitLeft, {-20, 0}, {12, 12}), QRect(80, 100, 420, 21));
  EXPECT_EQ(SizedRect(start, kHitCaption, {-20, 7}, {12, 12}), start);
}

TEST(BarSlide, OutAcceleratesAndBackDecelerates) {
  SlideState out = StartSlide(true);
  std::vector<int> indexes;
  int steps = 0;
  while (!out.done && steps < 1000) {
    indexes.push_back(out.speedIndex);
    SlideStep(out);
    ++steps;
  }
  EXPECT_TRUE(out.done);
  EXPECT_DOUBLE_EQ(out.progress, 1.0);
  EXPECT_TRUE(std::is_sorted(indexes.begin(), indexes.end()));
  EXPECT_EQ(indexes.front(), 0);
  EXPECT_EQ(indexes.back(), 9);

  SlideState back = StartSlide(false);
  std::vector<int> backIndexes;
  while (!back.done) {
    backIndexes.push_back(back.speedIndex);
    SlideStep(back);
  }
  EXPECT_TRUE(std::is_sorted(backIndexes.rbegin(), backIndexes.rend()));
  EXPECT_EQ(backIndexes.front(), 9);

  const QRect bar(100, 700, 400, 21), desktop(0, 0, 1280, 800);
  EXPECT_EQ(SlideTarget(bar, desktop, 0, 0), QPoint(100, -21));
  EXPECT_EQ(SlideTarget(bar, desktop, 1, 1), QPoint(100, 800));
  EXPECT_EQ(SlideTarget(bar, desktop, 2, 0), QPoint(-400, 700));
  EXPECT_EQ(SlideTarget(bar, desktop, 2, 1), QPoint(1280, 700));
  EXPECT_EQ(SlidePosition({0, 0}, {100, 200}, out), QPoint(100, 200));
  SlideState half = StartSlide(false);
  half.progress = 0.5;
  EXPECT_EQ(SlidePosition({0, 0}, {100, 200}, half), QPoint(50, 100));
}

TEST(BarLooks, AlphaChoosesTheWindowLook) {
  EXPECT_EQ(ClampAlpha(0), 10);
  EXPECT_EQ(ClampAlpha(300), 255);
  EXPECT_EQ(AlphaLookFor(255), AlphaLook::Opaque);
  EXPECT_EQ(AlphaLookFor(254), AlphaLook::Translucent);
  EXPECT_EQ(AlphaLookFor(11), AlphaLook::Translucent);
  EXPECT_EQ(AlphaLookFor(10), AlphaLook::ColourKey);
}

TEST(BarAutoHide, OneAutoHiddenBarPerEdge) {
  AutoHideEdges edges;
  EXPECT_TRUE(edges.Claim(0, kEdgeBottom));
  EXPECT_FALSE(edges.Claim(1, kEdgeBottom));
  EXPECT_EQ(edges.Holder(kEdgeBottom), 0);
  EXPECT_TRUE(edges.Claim(1, kEdgeTop));
  EXPECT_TRUE(edges.Claim(0, kEdgeBottom));  // again: still its own
  EXPECT_TRUE(edges.Claim(0, kEdgeLeft));    // moving frees the old edge
  EXPECT_EQ(edges.Holder(kEdgeBottom), -1);
  edges.Release(1);
  EXPECT_EQ(edges.Holder(kEdgeTop), -1);
  EXPECT_FALSE(edges.Claim(2, kEdgeFloat));
}

}  // namespace
}  // namespace lumetra
