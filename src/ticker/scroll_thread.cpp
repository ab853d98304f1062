#include "ticker/scroll_thread.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstring>

#include "app/app_state.h"
#include "app/settings.h"
#include "ticker/led_cells.h"
#include "ticker/light_str.h"
#include "ticker/line_renderer.h"
#include "ticker/news_position_change.h"
#include "ticker/ticker_bar.h"
#include "ticker/ticker_rules.h"

namespace lumetra {
namespace {

// Per-bar words shared with the threads.
struct ScrollFlags {
  std::atomic<bool> threadExists{false};
  std::atomic<bool> stepInProgress{false};
  std::atomic<bool> loopEntered{false};
};

ScrollFlags& FlagsOf(int bar) {
  static std::array<ScrollFlags, kBarCount> flags;
  return flags[static_cast<size_t>(bar) % kBarCount];
}

std::atomic<bool> g_globalPause{false};
std::array<bool, kBarCount> g_gateBusy{};

std::function<bool()>& ShiftProbe() {
  static std::function<bool()> probe;
  return probe;
}

// Moves the strip towards its start by `by` columns (rows when vertical),
// copying it onto itself.
void MoveStrip(QImage& image, int by, bool vertical) {
  if (image.isNull() || by <= 0) return;
  if (vertical) {
    if (by >= image.height()) return;
    const qsizetype bpl = image.bytesPerLine();
    uchar* bits = image.bits();
    std::memmove(bits, bits + by * bpl, (image.height() - by) * bpl);
    return;
  }
  if (by >= image.width()) return;
  const size_t bytes = static_cast<size_t>(image.width() - by) * sizeof(QRgb);
  for (int y = 0; y < image.height(); ++y) {
    uchar* line = image.scanLine(y);
    std::memmove(line, line + by * sizeof(QRgb), bytes);
  }
}

struct Flag {
  explicit Flag(bool& f) : f_(f) { f_ = true; }
  ~Flag() { f_ = false; }
  bool& f_;
};

// Puts the step on screen. Without a skin the window's picture is moved like
// the strip (a block move the window system can do on its side) and only the
// revealed end is painted; a skin's text rectangle is composed and shown.
void Present(TickerBar& bar, TLightStr& t, int moved) {
  const int alpha = bar.Slot().Alpha;
  if (alpha < 255) {
    t.update();
    return;
  }
  if (!t.HasSkinBitmaps()) {
    if (t.SkinLayout >= 4) {
      t.update();
      return;
    }
    const bool vertical = t.IsVertical();
    if (vertical)
      t.scroll(0, -moved);
    else
      t.scroll(-moved, 0);
    // The LED columns repainted in the strip start one pixel before the revealed end.
    const int from = std::max(0, t.Length() - moved - (t.IsLed() ? 1 : 0));
    t.update(vertical ? QRect(0, from, t.width(), t.height() - from) : QRect(from, 0, t.width() - from, t.height()));
    return;
  }
  bool changed = false;
  if (bar.Frames.size() > 1) {
    const int64_t now = TickerClockMs();
    const size_t current = static_cast<size_t>(bar.FrameIndex) % bar.Frames.size();
    if (now - bar.FrameChangedAt > bar.Frames[current].delay) {
      bar.FrameIndex = static_cast<int>((current + 1) % bar.Frames.size());
      bar.FrameChangedAt = now;
      t.LaySkinBack(bar.Frames[bar.FrameIndex].picture);
      changed = true;
    }
  }
  if (t.SkinLayout >= 4) {
    t.update();
    return;
  }
  const QRect rect = t.TextRect();
  t.ComposeSkin(rect, changed);
  t.MarkFramePresented();
  if (changed)
    t.update();
  else
    t.update(rect);
}

}  // namespace

// --- Thread ---------------------------------------------------------------

TScrollThread::TScrollThread(int bar) : bar_(bar) {
  // Free on terminate: the object goes once the loop has ended.
  connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TScrollThread::~TScrollThread() {
  RequestStop();
  wait();
}

bool TScrollThread::Paused() const {
  for (const auto& p : Pause)
    if (p.load()) return true;
  return false;
}

void TScrollThread::RequestStop() {
  QMutexLocker lock(&mutex_);
  stop_ = true;
  wake_.wakeAll();
}

void TScrollThread::run() {
  ScrollFlags& flags = FlagsOf(bar_);
  if (flags.loopEntered.exchange(true)) return;  // one loop per bar
  appliedLevel_ = WantedLevel.load();
  while (!stop_) {
    if (flags.stepInProgress || g_globalPause) {
      QThread::msleep(1);
      continue;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) break;
    const int bar = bar_;
    QMetaObject::invokeMethod(app, [bar] { SynchronisedStep(bar); }, Qt::BlockingQueuedConnection);
    {
      QMutexLocker lock(&mutex_);
      if (!stop_) wake_.wait(&mutex_, QDeadlineTimer(StepWaitMs(Interval.load()), Qt::PreciseTimer));
    }
    const int wanted = WantedLevel.load();
    if (wanted != appliedLevel_) {
      appliedLevel_ = wanted;
      setPriority(ThreadPriorityFor(wanted));
    }
  }
  flags.loopEntered = false;
  flags.threadExists = false;
}

// --- Flags and creation ---------------------------------------------------

void SetScrollingPaused(bool paused) { g_globalPause = paused; }
bool ScrollingPaused() { return g_globalPause; }
bool ScrollThreadExists(int bar) { return bar >= 0 && bar < kBarCount && FlagsOf(bar).threadExists; }

void StartScrollThread(TickerBar& bar) {
  if (bar.Number < 0 || bar.Number >= kBarCount || bar.Thread || ScrollThreadExists(bar.Number)) return;
  auto* thread = new TScrollThread(bar.Number);
  thread->WantedLevel = settings().NewsThreadLevel;
  bar.Thread = thread;
  FlagsOf(bar.Number).threadExists = true;
  ApplySpeed(bar);
  thread->start(ThreadPriorityFor(settings().NewsThreadLevel));
}

bool EndScrollThread(TickerBar& bar, int timeoutMs) {
  TScrollThread* thread = bar.Thread;
  if (!thread) return true;
  thread->Running = 0;
  thread->RequestStop();
  const QDeadlineTimer deadline(timeoutMs);
  // The thread may be waiting for a step of this thread: let it through.
  while (!thread->wait(5)) {
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    if (deadline.hasExpired()) return false;
  }
  return true;
}

// --- Gate and step ----------------------------------------------------------

void SetShiftKeyProbe(std::function<bool()> probe) { ShiftProbe() = std::move(probe); }

bool ShiftKeyHeld() {
  if (ShiftProbe()) return ShiftProbe()();
  // Asking the display server costs a round trip; the bars stepping within
  // 40 ms (well below what a hand notices) share one answer.
  static int64_t askedAt = -1000;
  static bool held = false;
  const int64_t now = TickerClockMs();
  if (now - askedAt >= 40 || now < askedAt) {
    askedAt = now;
    held = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier);
  }
  return held;
}

void SynchronisedStep(int number) {
  if (number < 0 || number >= kBarCount || g_gateBusy[number]) return;
  Flag busy(g_gateBusy[number]);
  if (app().Closing || app().QuitAllowed) return;
  TickerBar* bar = TickerBarOf(number);
  if (!bar || !bar->Ticker || !bar->Thread) return;
  TScrollThread& thread = *bar->Thread;
  thread.WantedLevel = settings().NewsThreadLevel;
  if (ShiftKeyHeld() || bar->LayoutInProgress || thread.Paused() || thread.Running != 1) return;
  if (!bar->Ticker->isVisible()) return;
  ScrollStep(*bar, *bar->Ticker);
}

void ScrollStep(TickerBar& bar, TLightStr& t) {
  if (bar.Stepping) return;
  Flag stepping(bar.Stepping);
  struct InProgress {
    explicit InProgress(int n) : n_(n) {
      if (n_ >= 0 && n_ < kBarCount) FlagsOf(n_).stepInProgress = true;
    }
    ~InProgress() {
      if (n_ >= 0 && n_ < kBarCount) FlagsOf(n_).stepInProgress = false;
    }
    int n_;
  } inProgress(bar.Number);

  if (bar.WeeklyTable && t.WeatherMode) {
    if (!t.FrameDrawn) {
      RenderNextLine(bar, t);
      t.update();
      t.FrameDrawn = true;
    }
    return;
  }

  // A stopped ticker stands still (and raises its stop only once).
  if (!t.ShowActive()) return;
  const int step = t.DecLen();
  const bool led = t.IsLed();
  const bool vertical = t.IsVertical();
  t.ScrollOffset += step;
  t.Lines.Shift(led ? 3 * step : step);
  if (t.ScrollOffset >= t.LineExtent) {
    RenderNextLine(bar, t);
    t.ScrollOffset += step;
    if (!t.ShowActive()) return;
  }

  MoveStrip(t.Strip, led ? 3 * step : step, vertical);
  if (!led && t.HasSkinBitmaps()) MoveStrip(t.SkinMask, step, vertical);

  if (led) {
    const int length = vertical ? t.Strip.height() : t.Strip.width();
    t.LedColumn = length - 3 * step - 1;
    const LedColours colours{ToQRgb(t.LightColor()), ToQRgb(t.DarkColor()), ToQRgb(t.BackColor())};
    PaintLedColumns(t.Strip, t.DotSource, t.LedColumn, t.ScrollOffset, step, t.LineExtent, vertical, colours);
  }
  Present(bar, t, led ? 3 * step : step);
}

// --- Speed ------------------------------------------------------------------

void ApplySpeed(TickerBar& bar) {
  if (!bar.Ticker) return;
  const BarSlot& slot = bar.Slot();
  bar.Ticker->SetShowInterval(ShowIntervalForSpeed(slot.Speed, bar.Ticker->IsLed(), slot.CoarseScroll != 0));
  if (bar.Thread) bar.Thread->Interval = bar.Ticker->ShowInterval();
}

void ToggleSmoothScroll(TickerBar& bar) {
  BarSlot& slot = bar.Slot();
  slot.CoarseScroll = slot.CoarseScroll ? 0 : 1;
  if (bar.Ticker) bar.Ticker->CoarseStep = slot.CoarseScroll;
  ApplySpeed(bar);
  if (bar.Relayout) bar.Relayout(bar);
}

void ResetScrollSpeed(TickerBar& bar) {
  bar.Slot().Speed = app().IsVistaOrLater && app().GlassEnabled ? kDefaultGlassSpeed : kDefaultSpeed;
  ApplySpeed(bar);
}

void ChangeScrollSpeed(TickerBar& bar) {
  const int number = bar.Number;
  TickerBar* target = &bar;
  TNewsPositionChange dialog(bar.Slot().Speed, [target, number](int speed) {
    // The bar may have gone while the dialog was open.
    TickerBar* live = number >= 0 && number < kBarCount ? TickerBarOf(number) : target;
    if (!live) return;
    live->Slot().Speed = speed;
    ApplySpeed(*live);
  });
  dialog.PlaceAt(QCursor::pos());
  dialog.exec();
}

}  // namespace lumetra
