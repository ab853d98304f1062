#pragma once
// The bar window's plain rules, free of widgets: which edge a placement asks
// for, the size limits, the text height a thickness gives, the pointer's hit
// test, where a docked bar sits, dragging and sizing, keeping a bar on a
// monitor, the hide-all slide, transparency, and the one auto-hidden bar per
// edge. The window only applies what these decide.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <optional>
#include <vector>

#include "app/bar_table.h"
#include "platform/app_bar.h"

namespace lumetra {

// --- Lines and placement -----------------------------------------------------

// The line-mode factor a: two lines (0) 2, one line (1) 1, three lines (2) 3;
// a skin always 1.
int LineFactor(int lineMode, bool skin);

// TaskBarModeToEdge: the edge (BarEdge) the Placement slot asks for.
int EdgeForPlacement(int placement, bool weeklyTable, bool fixedSkin);
// The placement items ("自動配置" 0 ... "右側に配置" 5): the new Placement.
// The four edge items do nothing while the skin is fixed-size.
int ChoosePlacement(int current, int chosen, bool fixedSkin);
// After a drag: a docked bar writes its edge back (top 2, bottom 3, left 4,
// right 5); a floating one with an edge placement becomes automatic (0).
int PlacementAfterDrag(int edge, int placement);

// --- Size limits -----------------------------------------------------------

// Creation: an absurd floating width or height is replaced (unless the skin
// is fixed-size), and both dock sizes are kept within 12a ... 120a.
void ClampFloatRect(BarSlot& slot, int a, bool fixedSkin);
void ClampDockSizes(BarSlot& slot, int a);
// Re-layout: the client thickness across the bar (horizontal: at most
// weatherExtra + 120a; vertical: at most 120a; at least 12a).
int ClampThickness(int thickness, int a, bool vertical, int weatherExtra);

// Line-mode switch: both dock sizes scale by the ratio of the factors and the
// floating rectangle keeps its bottom while its height scales alike.
void ChangeLineMode(BarSlot& slot, int newMode, bool skin);
// Style switch into the LED board (x3/2, top moved up by half the height)
// or out of it (x2/3, top moved down by a third).
void ChangeLedStyle(BarSlot& slot, bool intoLed);

// --- Text height -------------------------------------------------------------

struct FontHeightInput {
  int thickness = 21;  // client thickness T across the bar
  int lineMode = 1;
  bool led = false;
  int frame = 1;   // TickerFrame
  int inset = 1;   // TickerInset
  bool offsetsOrFixedSkin = false;  // the set's text offsets, or a skin layout of fix and above
  bool glass = false;
};
int ShowFontHeightFor(const FontHeightInput& in);

// Where the ticker sits in the bar's client area (step 4 of the re-layout):
// along the bar at the inset, across at the inset less half the border.
QRect TickerRectFor(QSize client, bool vertical, int inset, int borderAcross, int thickness);

// --- Pointer -----------------------------------------------------------------

enum HitCode {
  kHitCaption = 2,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17
};
// WM_NCHITTEST: a 4-pixel band (MarginX div 2 in glass mode) sizes, the rest
// drags the bar; a colour-keyed bar (Alpha <= 10, no glass) sizes only from
// the bottom-right square of the band.
int BarHitTest(QPoint p, QSize size, int alpha, bool glass, int marginX);
// A docked bar changes only its thickness, from its inner edge; the other
// sizing codes drag it like the caption.
int DockedHitCode(int hit, int edge);

// --- Monitors ------------------------------------------------------------------

struct MonitorArea {
  QRect geometry;
  QRect workArea;
};
// The monitor a rectangle lies most on, or the closest one; -1 when there is none.
int NearestMonitor(const QRect& rect, const std::vector<MonitorArea>& monitors);
// Multi-monitor recovery: a bar more than 8 pixels outside every monitor
// comes back into the work area of the nearest one (too wide: 128 pixels,
// too tall: 64; a weather table at least 128 x 64). nullopt: it may stay.
std::optional<QRect> RecoverOntoMonitor(const QRect& bar, const std::vector<MonitorArea>& monitors,
                                        bool weeklyTable);

// --- Docking -------------------------------------------------------------------

// What lies between a monitor's edges and a docked bar: other programs'
// reservations, then this program's bars of lower number on the same edge
// (`ownBefore`); a side bar also leaves room for the top and bottom bars
// (`ownTop`, `ownBottom`).
struct DockNeighbours {
  platform::EdgeReach others;
  int ownBefore = 0;
  int ownTop = 0;
  int ownBottom = 0;
};
QRect DockedRect(int edge, const QRect& monitor, const DockNeighbours& n, int thickness);
// An auto-hidden bar shows only this thin strip at its edge.
inline constexpr int kAutoHideStrip = 2;
QRect AutoHiddenRect(int edge, const QRect& shown);

// Dragging the bar: the edge the pointer asks for (within kDockZone of a
// monitor edge, the nearest edge; else floating). Free placement (1), fixed
// skins and the weather table never dock by dragging.
inline constexpr int kDockZone = 32;
int EdgeForDragPoint(QPoint pointer, const QRect& monitor, int placement, bool fixedSkin, bool weeklyTable);
// The floating rectangle while a bar is dragged: `size` placed so that the
// pointer keeps its offset from the corner (kept inside the size).
QRect DraggedFloatRect(QPoint pointer, QPoint grabOffset, QSize size);
// Sizing by the band: `hit` says which edges follow the pointer's movement.
QRect SizedRect(const QRect& start, int hit, QPoint delta, QSize minimum);

// --- Hide-all slide ----------------------------------------------------------------

inline constexpr std::array<double, 10> kSlideSpeeds = {0.01, 0.02, 0.04, 0.06, 0.08, 0.10, 0.14, 0.18, 0.20, 0.22};
struct SlideState {
  double progress = 0;  // 0 at the bar's place, 1 off the screen
  int speedIndex = 0;
  bool outwards = true;
  bool done = false;
};
SlideState StartSlide(bool outwards);
// One step: out accelerates (index up), back decelerates (index down); the
// index moves one place whenever the progress passes the next tenth.
void SlideStep(SlideState& s);
// Where the bar goes: `vertical` 0 above the top, 1 below the bottom, 2 the
// same row, then `horizontal` 0 beside the left, 1 beside the right edge.
QPoint SlideTarget(const QRect& bar, const QRect& desktop, int vertical, int horizontal);
QPoint SlidePosition(QPoint home, QPoint away, const SlideState& s);

// --- Transparency ------------------------------------------------------------------

enum class AlphaLook { Opaque, Translucent, ColourKey };
int ClampAlpha(int alpha);  // 10 ... 255
AlphaLook AlphaLookFor(int alpha);

// --- Auto-hide -----------------------------------------------------------------------

inline constexpr const char* kAutoHideTakenMessage =
    "There is already an auto hidden window on this edge.\n\rOnly one auto hidden window is allowed on each edge.";
// One auto-hidden bar per edge.
class AutoHideEdges {
 public:
  // False when another bar holds the edge; a bar holds at most one edge.
  bool Claim(int bar, int edge);
  void Release(int bar);
  int Holder(int edge) const;  // -1: none
 private:
  std::array<int, 4> holder_ = {-1, -1, -1, -1};
};
AutoHideEdges& autoHideEdges();

}  // namespace lumetra
