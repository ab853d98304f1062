#pragma once
// Plain rules of the ticker that need no widgets: speed to scroll interval,
// step length, the size rule across the strip, thread priorities and the
// tick marks of the speed dialog.
#include <QThread>
#include <cstdint>
#include <vector>

namespace lumetra {

// Display styles as the two style flags of the ticker combine them.
enum class TickerLook { Led, Simple, Gradation };

inline constexpr int kLedMinimumFontH = 11;
inline constexpr int kDefaultSpeed = 1100;
inline constexpr int kDefaultGlassSpeed = 964;
inline constexpr int kSpeedMaximum = 2000;

// The bar's Speed slot as the ticker's ShowInterval: smooth scrolling takes
// Speed / 2 in the LED style (one step is a 3-pixel cell) and Speed / 6
// otherwise, coarse scrolling takes Speed itself; never below 1.
uint32_t ShowIntervalForSpeed(int speed, bool led, bool coarse);

// Milliseconds the scroll thread sleeps between two steps.
int StepWaitMs(uint32_t interval);

// Columns (pixels, or dots in the LED style) one step moves the text: 1 when
// smooth, half the text height rounded up when coarse.
int StepLength(int fontH, bool coarse);

// Thickness of the ticker across the strip. `tag` is the control's general
// tag value, `margin` MarginY (horizontal) or MarginX (vertical).
struct SizeRuleInput {
  bool led = false;
  int skinLayout = 0;
  int textTop = 0;
  int textBottom = 0;
  int tag = 0;
  int frameWidth = 0;
  int margin = 0;
  int fontH = 11;
};
int AcrossThickness(const SizeRuleInput& in);
// LED strips are cut to whole cells along the strip (at least one cell).
int LedLength(int length);

// The "NewsThreadLevel" setting: 1 lowest ... 6 time-critical, anything else idle.
QThread::Priority ThreadPriorityFor(int level);

// Speed dialog: the slider runs right-faster, position = 2000 - speed + 1.
int SliderPositionForSpeed(int speed);
int SpeedForSliderPosition(int position);
// Positions of the hand-drawn tick marks, from the right end downwards:
// dense near the fast end, sparse near the slow end.
std::vector<int> SpeedDialogTicks(int maximum = kSpeedMaximum);

}  // namespace lumetra
