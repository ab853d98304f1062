#pragma once
// The desktop's docking reservations, as the X11 window managers read them:
// a docked window carries _NET_WM_STRUT_PARTIAL (twelve CARDINALs: the
// thickness reserved from each edge of the root window and the span along
// that edge) and the older _NET_WM_STRUT (the first four). Plain values;
// the window side lives in app_bar_ui.
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <vector>

namespace lumetra::platform {

enum class DockEdge { Left = 0, Top = 1, Right = 2, Bottom = 3 };

struct StrutPartial {
  uint32_t left = 0, right = 0, top = 0, bottom = 0;
  uint32_t leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
  uint32_t topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;
  std::array<uint32_t, 12> Values() const {
    return {left, right, top, bottom, leftStartY, leftEndY, rightStartY, rightEndY,
            topStartX, topEndX, bottomStartX, bottomEndX};
  }
  static StrutPartial FromValues(const uint32_t* v, int count);
  bool operator==(const StrutPartial&) const = default;
};

// The reservation of a window that occupies `bar` (root coordinates) docked
// at `edge` of a root window of size `root`: everything from the root's edge
// up to the bar's inner edge, over the bar's span.
StrutPartial StrutForDockedBar(DockEdge edge, const QRect& bar, QSize root);

// How far other windows' reservations reach into `monitor` from each of its
// edges (pixels; 0 where nothing is reserved).
struct EdgeReach {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const EdgeReach&) const = default;
};
EdgeReach ReachIntoMonitor(const QRect& monitor, QSize root, const std::vector<StrutPartial>& struts);

}  // namespace lumetra::platform
