#include "ticker/ticker_bar.h"

#include <QElapsedTimer>
#include <array>

#include "ticker/scroll_thread.h"

namespace lumetra {
namespace {

std::array<TickerBar*, kBarCount>& Registry() {
  static std::array<TickerBar*, kBarCount> registry{};
  return registry;
}

std::function<int64_t()>& Clock() {
  static std::function<int64_t()> clock;
  return clock;
}

}  // namespace

TickerBar::TickerBar(int number) : Number(number) {
  if (number >= 0 && number < kBarCount) {
    slot_ = &bars()[number];
    Registry()[number] = this;
  } else {
    ownSlot_ = DefaultBarTable()[0];
  }
}

TickerBar::~TickerBar() {
  // A thread left running would only find no bar; let it end.
  if (Thread) Thread->RequestStop();
  if (Number >= 0 && Number < kBarCount && Registry()[Number] == this) Registry()[Number] = nullptr;
}

TickerBar* TickerBarOf(int number) {
  if (number < 0 || number >= kBarCount) return nullptr;
  return Registry()[number];
}

int64_t TickerClockMs() {
  if (Clock()) return Clock()();
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

void SetTickerClock(std::function<int64_t()> clock) { Clock() = std::move(clock); }

}  // namespace lumetra
