// Scrolling: the step gate (Shift, pauses, running flag), the thread that
// paces the steps, speed and smooth/coarse switching, animated skin frames
// and the speed dialog.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>

#include "app/app_state.h"
#include "app/settings.h"
#include "ticker/news_position_change.h"
#include "ticker/scroll_thread.h"
#include "ticker_test_support.h"

namespace lumetra {
namespace {

using test::TickerFixture;

// Runs the user-interface thread for a while (the thread's steps arrive as
// queued calls).
void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A shown, active ticker whose gate only lacks its thread.
struct GateFixture : TickerFixture {
  GateFixture() : TickerFixture(2) {
    SetLook(1);
    SetLines({"シフトキーで止まる見出し", "二本目"});
    ticker->StartShow();
    host->show();
  }
  ~GateFixture() {
    EndScrollThread(*bar, 5000);
    SetShiftKeyProbe(nullptr);
  }
};

TEST(ScrollGate, ShiftFreezesAndReleaseResumesWithoutAJump) {
  GateFixture f;
  // The thread is started but kept from stepping, so only our calls step.
  StartScrollThread(*f.bar);
  ASSERT_TRUE(f.bar->Thread);
  f.bar->Thread->Pause[kPauseDialog] = true;
  f.bar->Thread->Running = 1;
  bool shift = false;
  SetShiftKeyProbe([&] { return shift; });
  auto step = [&] {
    f.bar->Thread->Pause[kPauseDialog] = false;
    SynchronisedStep(f.bar->Number);
    f.bar->Thread->Pause[kPauseDialog] = true;
  };
  step();
  const int offset = f.ticker->ScrollOffset;
  const QImage strip = f.ticker->Strip.copy();
  shift = true;
  for (int i = 0; i < 10; ++i) step();
  EXPECT_EQ(f.ticker->ScrollOffset, offset);
  EXPECT_EQ(f.ticker->Strip, strip);
  shift = false;
  step();
  EXPECT_EQ(f.ticker->ScrollOffset, offset + 1);
}

TEST(ScrollGate, NoStepWhilePausedStoppedHiddenLaidOutOrClosing) {
  GateFixture f;
  StartScrollThread(*f.bar);
  TScrollThread& thread = *f.bar->Thread;
  thread.Pause[kPauseDialog] = true;  // hold the thread's own steps
  SetShiftKeyProbe([] { return false; });
  auto stepsTaken = [&](const std::function<void()>& set, const std::function<void()>& unset) {
    set();
    const bool held = thread.Pause[kPauseDialog];
    thread.Pause[kPauseDialog] = false;
    const int before = f.ticker->ScrollOffset;
    SynchronisedStep(f.bar->Number);
    const bool stepped = f.ticker->ScrollOffset != before;
    thread.Pause[kPauseDialog] = held;
    unset();
    return stepped;
  };
  thread.Running = 1;
  EXPECT_TRUE(stepsTaken([] {}, [] {}));
  for (int p = 0; p < kPauseCount; ++p) {
    if (p == kPauseDialog) continue;
    EXPECT_FALSE(stepsTaken([&] { thread.Pause[p] = true; }, [&] { thread.Pause[p] = false; })) << p;
  }
  EXPECT_FALSE(stepsTaken([&] { thread.Running = 0; }, [&] { thread.Running = 1; }));
  EXPECT_FALSE(stepsTaken([&] { f.ticker->hide(); }, [&] { f.ticker->show(); }));
  EXPECT_FALSE(stepsTaken([&] { f.bar->LayoutInProgress = true; }, [&] { f.bar->LayoutInProgress = false; }));
  EXPECT_FALSE(stepsTaken([&] { app().Closing = true; }, [&] { app().Closing = false; }));
  EXPECT_TRUE(stepsTaken([] {}, [] {}));
}

TEST(ScrollThreadTest, PacesStepsAndEndsCleanly) {
  GateFixture f;
  // One long line, so that the offset only grows during the test.
  std::string longLine;
  for (int i = 0; i < 60; ++i) longLine += "長い見出しがずっと続く";
  f.SetLines({longLine});
  f.ticker->StartShow();
  SetShiftKeyProbe([] { return false; });
  // Normal priority: the default (idle) would let a busy machine starve the test.
  settings().NewsThreadLevel = 3;
  bars()[2].Speed = 60;  // interval 10: a step every millisecond or so
  StartScrollThread(*f.bar);
  ASSERT_TRUE(ScrollThreadExists(2));
  EXPECT_EQ(f.bar->Thread->Interval, 10u);
  f.bar->Thread->Running = 1;
  Pump(300);
  const int moved = f.ticker->ScrollOffset;
  EXPECT_GT(moved, 20);
  // A pause flag holds it; clearing it lets it go on.
  f.bar->Thread->Pause[kPausePointerRest] = true;
  Pump(30);
  const int held = f.ticker->ScrollOffset;
  Pump(200);
  EXPECT_EQ(f.ticker->ScrollOffset, held);
  f.bar->Thread->Pause[kPausePointerRest] = false;
  SetScrollingPaused(true);
  Pump(30);  // a step already asked for still runs
  const int paused = f.ticker->ScrollOffset;
  Pump(100);
  EXPECT_EQ(f.ticker->ScrollOffset, paused);
  SetScrollingPaused(false);
  Pump(100);
  EXPECT_GT(f.ticker->ScrollOffset, paused);

  EXPECT_TRUE(EndScrollThread(*f.bar, 5000));
  EXPECT_FALSE(ScrollThreadExists(2));
  Pump(20);  // the finished signal arrives as a queued call
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(f.bar->Thread);  // it freed itself
  bars()[2] = DefaultBarTable()[2];
  settings().NewsThreadLevel = 0;
}

TEST(ScrollSpeedTest, ApplySpeedAndTheSmoothSwitch) {
  TickerFixture f(3);
  f.SetLook(1);
  int relayouts = 0;
  f.bar->Relayout = [&](TickerBar&) { ++relayouts; };
  bars()[3].Speed = 2000;
  ApplySpeed(*f.bar);
  EXPECT_EQ(f.ticker->ShowInterval(), 333u);
  f.SetLook(0);
  ApplySpeed(*f.bar);
  EXPECT_EQ(f.ticker->ShowInterval(), 1000u);

  f.SetLook(1);
  f.ticker->SetShowFontH(15);
  ToggleSmoothScroll(*f.bar);  // to coarse
  EXPECT_EQ(bars()[3].CoarseScroll, 1);
  EXPECT_EQ(f.ticker->CoarseStep, 1);
  EXPECT_EQ(f.ticker->ShowInterval(), 2000u);
  EXPECT_EQ(f.ticker->DecLen(), 8);
  EXPECT_EQ(relayouts, 1);
  ToggleSmoothScroll(*f.bar);
  EXPECT_EQ(f.ticker->DecLen(), 1);

  ResetScrollSpeed(*f.bar);
  EXPECT_EQ(bars()[3].Speed, 1100);
  EXPECT_EQ(f.ticker->ShowInterval(), 183u);
  bars()[3] = DefaultBarTable()[3];
}

TEST(ScrollSkin, AnimatedFramesChangeNoFasterThanTheirDelay) {
  TickerFixture f(4);
  int64_t now = 1000;
  SetTickerClock([&] { return now; });
  QImage frames[3];
  const QRgb colours[3] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
  for (int i = 0; i < 3; ++i) {
    frames[i] = QImage(8, 8, QImage::Format_RGB32);
    frames[i].fill(colours[i]);
    f.bar->Frames.push_back({frames[i], 500});
  }
  f.bar->FrameChangedAt = now;
  f.SetSkin(frames[0], 0);
  f.SetLines({"アニメーションするスキン"});
  f.ticker->StartShow();
  std::vector<std::pair<int64_t, int>> changes;
  for (int i = 0; i < 300; ++i) {  // a step every 7 ms for 2.1 s
    const int before = f.bar->FrameIndex;
    f.Steps(1);
    if (f.bar->FrameIndex != before) changes.push_back({now, f.bar->FrameIndex});
    now += 7;
  }
  // Frames change once more than 500 ms have passed, wrapping to the first.
  const std::vector<std::pair<int64_t, int>> want = {{1504, 1}, {2008, 2}, {2512, 0}, {3016, 1}};
  EXPECT_EQ(changes, want);
  // The new frame is the skin background.
  EXPECT_EQ(f.ticker->SkinBack.pixel(0, 0), colours[1]);
  SetTickerClock(nullptr);
}

TEST(SpeedDialog, MovingAppliesAtOnceAndCancelRestoresExactly) {
  std::vector<int> applied;
  TNewsPositionChange dialog(1100, [&](int speed) { applied.push_back(speed); });
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral(u"スクロールスピード変更"));
  EXPECT_EQ(dialog.TrackBar()->value(), 901);
  EXPECT_EQ(dialog.TrackBar()->Ticks(), SpeedDialogTicks());
  dialog.TrackBar()->setValue(1500);
  dialog.TrackBar()->setValue(1999);
  EXPECT_EQ(applied, (std::vector<int>{501, 2}));
  dialog.CancelButton()->click();
  EXPECT_EQ(applied.back(), 1100);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  applied.clear();
  TNewsPositionChange kept(1100, [&](int speed) { applied.push_back(speed); });
  kept.TrackBar()->setValue(1);
  kept.OkButton()->click();
  EXPECT_EQ(applied, (std::vector<int>{2000}));
  EXPECT_EQ(kept.result(), QDialog::Accepted);

  // Esc is a cancel too.
  applied.clear();
  TNewsPositionChange escaped(700, [&](int speed) { applied.push_back(speed); });
  escaped.show();
  escaped.TrackBar()->setValue(10);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&escaped, &esc);
  EXPECT_EQ(applied, (std::vector<int>{1991, 700}));
}

}  // namespace
}  // namespace lumetra
