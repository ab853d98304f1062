#include "ticker/ticker_rules.h"

#include <algorithm>

namespace lumetra {

uint32_t ShowIntervalForSpeed(int speed, bool led, bool coarse) {
  int interval = speed;
  if (!coarse) interval = led ? speed / 2 : speed / 6;
  return static_cast<uint32_t>(std::max(interval, 1));
}

int StepWaitMs(uint32_t interval) {
  if (interval <= 10) return 1;
  return std::max(1, static_cast<int>(interval / 10));
}

int StepLength(int fontH, bool coarse) {
  if (!coarse) return 1;
  return std::max(1, fontH / 2 + fontH % 2);
}

int AcrossThickness(const SizeRuleInput& in) {
  const int k = (in.skinLayout >= 2 || in.textTop + in.textBottom != 0) ? 1 : 0;
  const int trim = in.tag / 2 + in.tag % 2;
  const int thickness = (2 - k) * in.frameWidth + in.margin + in.fontH - trim;
  if (in.led) return std::max(3, 3 * thickness);
  return std::max(1, thickness);
}

int LedLength(int length) { return std::max(3, length - length % 3); }

QThread::Priority ThreadPriorityFor(int level) {
  switch (level) {
    case 1: return QThread::LowestPriority;
    case 2: return QThread::LowPriority;
    case 3: return QThread::NormalPriority;
    case 4: return QThread::HighPriority;
    case 5: return QThread::HighestPriority;
    case 6: return QThread::TimeCriticalPriority;
    // "Idle" would become SCHED_IDLE here, which stops the ticker outright
    // whenever anything else wants the processor; the lowest ordinary
    // priority is the nearest thing to the old idle thread.
    default: return QThread::LowestPriority;
  }
}

int SliderPositionForSpeed(int speed) { return kSpeedMaximum - speed + 1; }

int SpeedForSliderPosition(int position) { return std::max(1, kSpeedMaximum - position + 1); }

std::vector<int> SpeedDialogTicks(int m) {
  // Counting down from the fast end, the gap widens with the distance from it.
  std::vector<int> ticks;
  for (int p = m; p >= 1;) {
    ticks.push_back(p);
    const int gone = m - p;
    p -= gone < 10 ? 1 : gone < 50 ? 10 : gone < 100 ? 20 : gone < 250 ? 40 : gone < 500 ? 100 : gone < 1000 ? 250 : 500;
  }
  if (ticks.back() != 1) ticks.push_back(1);
  return ticks;
}

}  // namespace lumetra
