// Docking reservations as X11 window managers read them.
#include "platform/app_bar.h"

#include <gtest/gtest.h>

namespace lumetra::platform {
namespace {

TEST(AppBarStrut, EachEdgeReservesUpToTheBarsInnerEdge) {
  const QSize root(1024, 768);
  StrutPartial bottom = StrutForDockedBar(DockEdge::Bottom, QRect(0, 747, 1024, 21), root);
  EXPECT_EQ(bottom.Values(), (std::array<uint32_t, 12>{0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 1023}));
  StrutPartial top = StrutForDockedBar(DockEdge::Top, QRect(0, 24, 1024, 30), root);  // below a panel
  EXPECT_EQ(top.top, 54u);
  EXPECT_EQ(top.topEndX, 1023u);
  StrutPartial left = StrutForDockedBar(DockEdge::Left, QRect(0, 10, 21, 700), root);
  EXPECT_EQ(left.left, 21u);
  EXPECT_EQ(left.leftStartY, 10u);
  EXPECT_EQ(left.leftEndY, 709u);
  // On the left monitor of two, the right edge reserves across the other monitor.
  StrutPartial right = StrutForDockedBar(DockEdge::Right, QRect(1003, 0, 21, 768), QSize(2304, 1024));
  EXPECT_EQ(right.right, 1301u);
}

TEST(AppBarStrut, OtherReservationsReachIntoTheMonitorsTheyCover) {
  const QSize root(2304, 1024);
  const QRect first(0, 0, 1024, 768), second(1024, 0, 1280, 1024);
  // A taskbar along the bottom of the second monitor, and an old-style top panel.
  std::vector<StrutPartial> struts;
  struts.push_back(StrutForDockedBar(DockEdge::Bottom, QRect(1024, 984, 1280, 40), root));
  const uint32_t legacy[4] = {0, 0, 24, 0};
  struts.push_back(StrutPartial::FromValues(legacy, 4));
  EXPECT_EQ(ReachIntoMonitor(second, root, struts), (EdgeReach{0, 24, 0, 40}));
  EXPECT_EQ(ReachIntoMonitor(first, root, struts), (EdgeReach{0, 24, 0, 0}));
  // A bottom reservation of the taller monitor does not reach the shorter one.
  struts.push_back(StrutForDockedBar(DockEdge::Bottom, QRect(0, 1000, 2304, 24), root));
  EXPECT_EQ(ReachIntoMonitor(first, root, struts).bottom, 0);
  // A silly value never takes more than half the monitor.
  const uint32_t huge[4] = {5000, 0, 0, 0};
  EXPECT_EQ(ReachIntoMonitor(first, root, {StrutPartial::FromValues(huge, 4)}).left, 512);
}

}  // namespace
}  // namespace lumetra::platform
