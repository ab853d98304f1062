#pragma once
// Scrolling: one thread per bar paces the steps; each step runs on the
// user-interface thread (the thread waits for it), moves the strip by a block
// copy of itself, paints only the newly revealed LED columns, composes a skin
// over the text rectangle only, and asks for the next headline when the last
// one has scrolled in.
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

namespace lumetra {

class TLightStr;
struct TickerBar;

// The six pause flags of a scroll thread; any of them holds the text still.
enum ScrollPause {
  kPauseLayout = 0,       // layout or drag in progress
  kPauseScreenSaver = 1,  // hidden while the screen saver runs
  kPausePointerRest = 2,  // the pointer rests on a headline
  kPauseBrowser = 3,      // a browser was opened / the article list is open
  kPauseMenu = 4,         // further pauses for the bar's own activities
  kPauseDialog = 5,
  kPauseCount = 6
};

class TScrollThread : public QThread {
 public:
  // The bar's pacing thread. It frees itself when it has ended.
  explicit TScrollThread(int bar);
  ~TScrollThread() override;

  int Bar() const { return bar_; }
  bool Paused() const;
  // Ends the loop soon; the thread then frees itself.
  void RequestStop();

  // Written by the user-interface thread, read by this one.
  std::atomic<uint32_t> Interval{100};
  std::atomic<int> Running{0};  // steps are taken only while it is 1
  std::array<std::atomic<bool>, kPauseCount> Pause{};
  std::atomic<int> WantedLevel{0};  // "NewsThreadLevel" as last seen by the step gate

 protected:
  void run() override;

 private:
  const int bar_;
  int appliedLevel_ = -1;
  std::atomic<bool> stop_{false};
  QMutex mutex_;
  QWaitCondition wake_;
};

// Holds every bar's scrolling (for example while all bars slide away).
void SetScrollingPaused(bool paused);
bool ScrollingPaused();
// The bar's thread has been created and has not ended yet.
bool ScrollThreadExists(int bar);

// Creates and starts the bar's thread with the speed applied, unless it has one.
void StartScrollThread(TickerBar& bar);
// Stops the bar's thread and waits for it (processing the step it may be
// waiting for); false when it did not end within the time.
bool EndScrollThread(TickerBar& bar, int timeoutMs = 20000);

// The step gate the thread calls: no step while the program closes, the bar
// or its ticker is missing, Shift is held, a layout runs, a pause flag is
// set, the thread is not running or the ticker is hidden.
void SynchronisedStep(int bar);
// One step of the bar's ticker.
void ScrollStep(TickerBar& bar, TLightStr& ticker);

// Speed slot and smooth/coarse switch into ShowInterval and the thread's Interval.
void ApplySpeed(TickerBar& bar);
// "スムーススクロール": toggles CoarseScroll, re-applies the speed, re-lays out the bar.
void ToggleSmoothScroll(TickerBar& bar);
// "標準のスピードに戻す".
void ResetScrollSpeed(TickerBar& bar);
// "スクロールスピード変更": the speed dialog at the pointer (modal).
void ChangeScrollSpeed(TickerBar& bar);

// Holding Shift freezes every ticker. Tests replace the probe (nullptr
// restores the keyboard).
void SetShiftKeyProbe(std::function<bool()> probe);
bool ShiftKeyHeld();

}  // namespace lumetra
