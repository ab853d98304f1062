#include "ticker/bar_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "ticker/ticker_bar.h"

namespace lumetra {

// --- Lines and placement -----------------------------------------------------

int LineFactor(int lineMode, bool skin) {
  if (skin) return 1;
  switch (lineMode) {
    case 0: return 2;
    case 2: return 3;
    default: return 1;
  }
}

int EdgeForPlacement(int placement, bool weeklyTable, bool fixedSkin) {
  if (weeklyTable || fixedSkin) return kEdgeFloat;
  switch (placement) {
    case 2: return kEdgeTop;
    case 3: return kEdgeBottom;
    case 4: return kEdgeLeft;
    case 5: return kEdgeRight;
    default: return kEdgeFloat;
  }
}

int ChoosePlacement(int current, int chosen, bool fixedSkin) {
  if (chosen < 0 || chosen > 5) return current;
  if (chosen >= 2 && fixedSkin) return current;
  return chosen;
}

int PlacementAfterDrag(int edge, int placement) {
  switch (edge) {
    case kEdgeTop: return 2;
    case kEdgeBottom: return 3;
    case kEdgeLeft: return 4;
    case kEdgeRight: return 5;
    default: return placement > 1 ? 0 : placement;
  }
}

// --- Size limits -----------------------------------------------------------

void ClampFloatRect(BarSlot& s, int a, bool fixedSkin) {
  if (fixedSkin) return;
  if (s.FloatRight - s.FloatLeft < 12 * a) {
    s.FloatLeft = 0;
    s.FloatRight = 200;
  }
  if (s.FloatBottom - s.FloatTop < 12 * a) {
    s.FloatTop = 0;
    s.FloatBottom = 16;
  }
}

void ClampDockSizes(BarSlot& s, int a) {
  s.HorzDockSize = std::clamp(s.HorzDockSize, 12 * a, 120 * a);
  s.VertDockSize = std::clamp(s.VertDockSize, 12 * a, 120 * a);
}

int ClampThickness(int thickness, int a, bool vertical, int weatherExtra) {
  const int most = vertical ? 120 * a : weatherExtra + 120 * a;
  return std::max(12 * a, std::min(thickness, most));
}

namespace {
int Scaled(int value, int numerator, int denominator) {
  return static_cast<int>(static_cast<int64_t>(value) * numerator / denominator);
}
}  // namespace

void ChangeLineMode(BarSlot& s, int newMode, bool skin) {
  const int from = LineFactor(s.LineMode, skin), to = LineFactor(newMode, skin);
  s.LineMode = newMode;
  if (from == to) return;
  s.HorzDockSize = Scaled(s.HorzDockSize, to, from);
  s.VertDockSize = Scaled(s.VertDockSize, to, from);
  const int height = Scaled(s.FloatBottom - s.FloatTop, to, from);
  s.FloatTop = s.FloatBottom - height;
}

void ChangeLedStyle(BarSlot& s, bool intoLed) {
  const int height = s.FloatBottom - s.FloatTop;
  if (intoLed) {
    s.HorzDockSize = Scaled(s.HorzDockSize, 3, 2);
    s.VertDockSize = Scaled(s.VertDockSize, 3, 2);
    s.FloatTop -= height / 2;
  } else {
    s.HorzDockSize = Scaled(s.HorzDockSize, 2, 3);
    s.VertDockSize = Scaled(s.VertDockSize, 2, 3);
    s.FloatTop += height / 3;
  }
}

// --- Text height -------------------------------------------------------------

int ShowFontHeightFor(const FontHeightInput& in) {
  const int T = in.thickness, f = in.frame, i = in.inset;
  if (in.offsetsOrFixedSkin) return T - f - 2 * i;
  if (!in.led) {
    switch (in.lineMode) {
      case 0: return (T - 3 * f - 2 * i) / 2;
      case 2: return static_cast<int>(std::lround((T - 4 * f - 2 * i) / 3.0));
      default: return T - 2 * f - 2 * i;
    }
  }
  if (in.lineMode == 2) return static_cast<int>(std::lround((T - 12 * f - 2 * i) / 9.0));
  const int mode = in.lineMode == 0 ? 0 : 1;
  return static_cast<int>(std::lround((T - (3 - mode) * 3 * f - 2 * i) / 3.0 / (2 - mode)));
}

QRect TickerRectFor(QSize client, bool vertical, int inset, int borderAcross, int thickness) {
  const int across = inset - borderAcross / 2;
  if (vertical) return QRect(across, inset, thickness, std::max(1, client.height() - 2 * inset));
  return QRect(inset, across, std::max(1, client.width() - 2 * inset), thickness);
}

// --- Pointer -----------------------------------------------------------------

int BarHitTest(QPoint p, QSize size, int alpha, bool glass, int marginX) {
  const int band = glass ? marginX / 2 : 4;
  const bool left = p.x() < band, right = p.x() >= size.width() - band;
  const bool top = p.y() < band, bottom = p.y() >= size.height() - band;
  if (alpha <= 10 && !glass) return right && bottom ? kHitBottomRight : kHitCaption;
  if (top && left) return kHitTopLeft;
  if (top && right) return kHitTopRight;
  if (bottom && left) return kHitBottomLeft;
  if (bottom && right) return kHitBottomRight;
  if (left) return kHitLeft;
  if (right) return kHitRight;
  if (top) return kHitTop;
  if (bottom) return kHitBottom;
  return kHitCaption;
}

int DockedHitCode(int hit, int edge) {
  auto any = [hit](std::initializer_list<int> codes) { return std::find(codes.begin(), codes.end(), hit) != codes.end(); };
  switch (edge) {
    case kEdgeTop: return any({kHitBottom, kHitBottomLeft, kHitBottomRight}) ? kHitBottom : kHitCaption;
    case kEdgeBottom: return any({kHitTop, kHitTopLeft, kHitTopRight}) ? kHitTop : kHitCaption;
    case kEdgeLeft: return any({kHitRight, kHitTopRight, kHitBottomRight}) ? kHitRight : kHitCaption;
    case kEdgeRight: return any({kHitLeft, kHitTopLeft, kHitBottomLeft}) ? kHitLeft : kHitCaption;
    default: return hit;
  }
}

// --- Monitors ------------------------------------------------------------------

int NearestMonitor(const QRect& rect, const std::vector<MonitorArea>& monitors) {
  int best = -1;
  int64_t bestArea = 0;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const QRect overlap = rect.intersected(monitors[i].geometry);
    const int64_t area = overlap.isEmpty() ? 0 : static_cast<int64_t>(overlap.width()) * overlap.height();
    if (area > bestArea) {
      bestArea = area;
      best = static_cast<int>(i);
    }
  }
  if (best >= 0) return best;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < monitors.size(); ++i) {
    const QRect& m = monitors[i].geometry;
    const int64_t dx = std::max({0, m.left() - rect.right(), rect.left() - m.right()});
    const int64_t dy = std::max({0, m.top() - rect.bottom(), rect.top() - m.bottom()});
    if (dx * dx + dy * dy < bestDistance) {
      bestDistance = dx * dx + dy * dy;
      best = static_cast<int>(i);
    }
  }
  return best;
}

std::optional<QRect> RecoverOntoMonitor(const QRect& bar, const std::vector<MonitorArea>& monitors, bool weeklyTable) {
  for (const MonitorArea& m : monitors)
    if (m.geometry.adjusted(-8, -8, 8, 8).contains(bar)) return std::nullopt;
  const int index = NearestMonitor(bar, monitors);
  if (index < 0) return std::nullopt;
  const MonitorArea& m = monitors[static_cast<size_t>(index)];
  QRect r = bar;
  if (r.width() > m.geometry.width()) r.setWidth(128);
  if (r.height() > m.geometry.height()) r.setHeight(64);
  if (weeklyTable) r.setSize(r.size().expandedTo(QSize(128, 64)));
  const QRect& work = m.workArea;
  if (r.left() < work.left()) r.moveLeft(work.left());
  if (r.top() < work.top()) r.moveTop(work.top());
  if (r.right() > work.right()) r.moveRight(work.right());
  if (r.bottom() > work.bottom()) r.moveBottom(work.bottom());
  return r;
}

// --- Docking -------------------------------------------------------------------

QRect DockedRect(int edge, const QRect& m, const DockNeighbours& n, int t) {
  const platform::EdgeReach& o = n.others;
  switch (edge) {
    case kEdgeTop:
      return QRect(m.left() + o.left, m.top() + o.top + n.ownBefore, m.width() - o.left - o.right, t);
    case kEdgeBottom:
      return QRect(m.left() + o.left, m.bottom() + 1 - o.bottom - n.ownBefore - t, m.width() - o.left - o.right, t);
    case kEdgeLeft:
    case kEdgeRight: {
      const int top = m.top() + o.top + n.ownTop;
      const int bottom = m.bottom() + 1 - o.bottom - n.ownBottom;
      const int x = edge == kEdgeLeft ? m.left() + o.left + n.ownBefore : m.right() + 1 - o.right - n.ownBefore - t;
      return QRect(x, top, t, std::max(1, bottom - top));
    }
    default: return QRect();
  }
}

QRect AutoHiddenRect(int edge, const QRect& shown) {
  switch (edge) {
    case kEdgeTop: return QRect(shown.left(), shown.top(), shown.width(), kAutoHideStrip);
    case kEdgeBottom: return QRect(shown.left(), shown.bottom() + 1 - kAutoHideStrip, shown.width(), kAutoHideStrip);
    case kEdgeLeft: return QRect(shown.left(), shown.top(), kAutoHideStrip, shown.height());
    case kEdgeRight: return QRect(shown.right() + 1 - kAutoHideStrip, shown.top(), kAutoHideStrip, shown.height());
    default: return shown;
  }
}

int EdgeForDragPoint(QPoint p, const QRect& m, int placement, bool fixedSkin, bool weeklyTable) {
  if (placement == 1 || fixedSkin || weeklyTable) return kEdgeFloat;
  const std::pair<int, int> distances[] = {{m.bottom() - p.y(), kEdgeBottom},
                                           {p.y() - m.top(), kEdgeTop},
                                           {p.x() - m.left(), kEdgeLeft},
                                           {m.right() - p.x(), kEdgeRight}};
  const auto* nearest = std::min_element(std::begin(distances), std::end(distances),
                                         [](const auto& a, const auto& b) { return a.first < b.first; });
  return nearest->first >= 0 && nearest->first < kDockZone ? nearest->second : kEdgeFloat;
}

QRect DraggedFloatRect(QPoint pointer, QPoint grabOffset, QSize size) {
  const QPoint offset(std::clamp(grabOffset.x(), 0, std::max(0, size.width() - 1)),
                      std::clamp(grabOffset.y(), 0, std::max(0, size.height() - 1)));
  return QRect(pointer - offset, size);
}

QRect SizedRect(const QRect& start, int hit, QPoint d, QSize minimum) {
  int left = start.left(), top = start.top(), right = start.right() + 1, bottom = start.bottom() + 1;
  const bool movesLeft = hit == kHitLeft || hit == kHitTopLeft || hit == kHitBottomLeft;
  const bool movesRight = hit == kHitRight || hit == kHitTopRight || hit == kHitBottomRight;
  const bool movesTop = hit == kHitTop || hit == kHitTopLeft || hit == kHitTopRight;
  const bool movesBottom = hit == kHitBottom || hit == kHitBottomLeft || hit == kHitBottomRight;
  if (movesLeft) left = std::min(left + d.x(), right - minimum.width());
  if (movesRight) right = std::max(right + d.x(), left + minimum.width());
  if (movesTop) top = std::min(top + d.y(), bottom - minimum.height());
  if (movesBottom) bottom = std::max(bottom + d.y(), top + minimum.height());
  return QRect(left, top, right - left, bottom - top);
}

// --- Hide-all slide ----------------------------------------------------------------

SlideState StartSlide(bool outwards) {
  SlideState s;
  s.outwards = outwards;
  s.speedIndex = outwards ? 0 : static_cast<int>(kSlideSpeeds.size()) - 1;
  return s;
}

void SlideStep(SlideState& s) {
  if (s.done) return;
  s.progress += kSlideSpeeds[static_cast<size_t>(s.speedIndex)];
  if (s.progress >= 1.0) {
    s.progress = 1.0;
    s.done = true;
  }
  const int tenths = std::min(9, static_cast<int>(s.progress * 10.0));
  s.speedIndex = s.outwards ? tenths : 9 - tenths;
}

QPoint SlideTarget(const QRect& bar, const QRect& desktop, int vertical, int horizontal) {
  QPoint to = bar.topLeft();
  if (vertical == 0) {
    to.setY(desktop.top() - bar.height());
  } else if (vertical == 1) {
    to.setY(desktop.bottom() + 1);
  } else {
    to.setX(horizontal == 0 ? desktop.left() - bar.width() : desktop.right() + 1);
  }
  return to;
}

QPoint SlidePosition(QPoint home, QPoint away, const SlideState& s) {
  const QPoint from = s.outwards ? home : away, to = s.outwards ? away : home;
  return QPoint(from.x() + static_cast<int>(std::lround((to.x() - from.x()) * s.progress)),
                from.y() + static_cast<int>(std::lround((to.y() - from.y()) * s.progress)));
}

// --- Transparency ------------------------------------------------------------------

int ClampAlpha(int alpha) { return std::clamp(alpha, 10, 255); }

AlphaLook AlphaLookFor(int alpha) {
  if (alpha >= 255) return AlphaLook::Opaque;
  if (alpha <= 10) return AlphaLook::ColourKey;
  return AlphaLook::Translucent;
}

// --- Auto-hide -----------------------------------------------------------------------

bool AutoHideEdges::Claim(int bar, int edge) {
  if (edge < 0 || edge > 3) return false;
  if (holder_[static_cast<size_t>(edge)] == bar) return true;
  if (holder_[static_cast<size_t>(edge)] != -1) return false;
  Release(bar);
  holder_[static_cast<size_t>(edge)] = bar;
  return true;
}

void AutoHideEdges::Release(int bar) {
  for (int& h : holder_)
    if (h == bar) h = -1;
}

int AutoHideEdges::Holder(int edge) const { return edge >= 0 && edge < 4 ? holder_[static_cast<size_t>(edge)] : -1; }

AutoHideEdges& autoHideEdges() {
  static AutoHideEdges edges;
  return edges;
}

}  // namespace lumetra
