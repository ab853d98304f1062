#pragma once
// What the renderer and the scroll step need to know about the bar that holds
// a ticker: its number and settings slot, placement, the colour set's values
// that drawing reads, the skin picture and animation frames, the busy flags
// and the scroll thread. The bar window (and the preview) owns one per bar;
// bars 0-5 are registered by number so that the scroll thread can find them.
#include <QImage>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/bar_table.h"
#include "platform/message_port.h"
#include "ticker/ticker_colours.h"

namespace lumetra {

class TLightStr;
class TScrollThread;

// Docking edges as the application-bar base numbers them.
enum BarEdge { kEdgeLeft = 0, kEdgeTop = 1, kEdgeRight = 2, kEdgeBottom = 3, kEdgeUnknown = 4, kEdgeFloat = 5 };

struct AnimationFrame {
  QImage picture;
  int delay = 0;  // milliseconds
};

struct TickerBar {
  // Bars 0-5 use their slot of bars(); any other number (a preview) keeps a
  // slot of its own and is not registered.
  explicit TickerBar(int number);
  ~TickerBar();
  TickerBar(const TickerBar&) = delete;
  TickerBar& operator=(const TickerBar&) = delete;

  BarSlot& Slot() { return slot_ ? *slot_ : ownSlot_; }
  bool Docked() const { return Edge >= kEdgeLeft && Edge <= kEdgeBottom; }

  int Number;
  TLightStr* Ticker = nullptr;
  // Receives WM_USER + 205 with every new headline index (read-aloud); 0: none.
  platform::WindowHandle Window = 0;

  int Edge = kEdgeFloat;
  bool Glass = false;
  bool WeeklyTable = false;       // the bar shows the weekly weather table
  bool LayoutInProgress = false;  // the bar is being laid out: no steps

  // Taken from the colour set by ApplyColourSet.
  int Style = 0;   // 0 LED board, 1 simple, 2 gradation, 3 skin
  int Effect = 0;  // 0 none, 1 raised, 2 sunken, 3 shadow
  Colour NewsColour1 = 0, NewsColour2 = 0;
  int TickerInset = 0;
  int TickerFrame = 0;
  QImage SkinPicture;  // the loaded skin picture (transposed for a side-docked bar)
  std::vector<AnimationFrame> Frames;  // an animated skin's frames, else empty
  int FrameIndex = 0;
  int64_t FrameChangedAt = 0;  // TickerClockMs() of the last frame change

  // Re-entry guards of the user-interface thread.
  bool Rendering = false;
  bool Stepping = false;

  // The weekly weather table's drawing, called by RenderNextLine in that view.
  std::function<void(TickerBar&)> DrawWeeklyTable;
  // The bar's re-layout, run after the smooth-scroll switch changes.
  std::function<void(TickerBar&)> Relayout;

  QPointer<TScrollThread> Thread;

 private:
  BarSlot* slot_ = nullptr;
  BarSlot ownSlot_;
};

// The registered bar of that number, or nullptr.
TickerBar* TickerBarOf(int number);

// Milliseconds of a monotonic clock; tests may replace it (nullptr restores).
int64_t TickerClockMs();
void SetTickerClock(std::function<int64_t()> clock);

}  // namespace lumetra
