#include "platform/app_bar.h"

#include <algorithm>

namespace lumetra::platform {

StrutPartial StrutPartial::FromValues(const uint32_t* v, int count) {
  StrutPartial s;
  uint32_t all[12] = {};
  std::copy(v, v + std::clamp(count, 0, 12), all);
  s.left = all[0], s.right = all[1], s.top = all[2], s.bottom = all[3];
  if (count >= 12) {
    s.leftStartY = all[4], s.leftEndY = all[5], s.rightStartY = all[6], s.rightEndY = all[7];
    s.topStartX = all[8], s.topEndX = all[9], s.bottomStartX = all[10], s.bottomEndX = all[11];
  } else {
    // The older property reserves along the whole edge.
    s.leftEndY = s.rightEndY = 0xFFFFFFFFu;
    s.topEndX = s.bottomEndX = 0xFFFFFFFFu;
  }
  return s;
}

StrutPartial StrutForDockedBar(DockEdge edge, const QRect& bar, QSize root) {
  StrutPartial s;
  auto u = [](int v) { return static_cast<uint32_t>(std::max(0, v)); };
  switch (edge) {
    case DockEdge::Left:
      s.left = u(bar.x() + bar.width());
      s.leftStartY = u(bar.top());
      s.leftEndY = u(bar.bottom());
      break;
    case DockEdge::Right:
      s.right = u(root.width() - bar.x());
      s.rightStartY = u(bar.top());
      s.rightEndY = u(bar.bottom());
      break;
    case DockEdge::Top:
      s.top = u(bar.y() + bar.height());
      s.topStartX = u(bar.left());
      s.topEndX = u(bar.right());
      break;
    case DockEdge::Bottom:
      s.bottom = u(root.height() - bar.y());
      s.bottomStartX = u(bar.left());
      s.bottomEndX = u(bar.right());
      break;
  }
  return s;
}

EdgeReach ReachIntoMonitor(const QRect& m, QSize root, const std::vector<StrutPartial>& struts) {
  EdgeReach r;
  auto overlaps = [](uint32_t start, uint32_t end, int from, int to) {
    return static_cast<int64_t>(start) <= to && static_cast<int64_t>(end) >= from;
  };
  // A reservation never takes more than half the monitor: a stray value must
  // not push a bar off its screen.
  const int halfW = m.width() / 2, halfH = m.height() / 2;
  for (const StrutPartial& s : struts) {
    if (s.top && overlaps(s.topStartX, s.topEndX, m.left(), m.right()))
      r.top = std::max(r.top, std::min(halfH, static_cast<int>(s.top) - m.top()));
    if (s.bottom && overlaps(s.bottomStartX, s.bottomEndX, m.left(), m.right()))
      r.bottom = std::max(r.bottom, std::min(halfH, m.bottom() + 1 - (root.height() - static_cast<int>(s.bottom))));
    if (s.left && overlaps(s.leftStartY, s.leftEndY, m.top(), m.bottom()))
      r.left = std::max(r.left, std::min(halfW, static_cast<int>(s.left) - m.left()));
    if (s.right && overlaps(s.rightStartY, s.rightEndY, m.top(), m.bottom()))
      r.right = std::max(r.right, std::min(halfW, m.right() + 1 - (root.width() - static_cast<int>(s.right))));
  }
  return r;
}

}  // namespace lumetra::platform
