// The pointer on a bar offscreen: clicks on a scrolling headline open its
// address through the launcher, once, in single- and double-click mode.
#include <gtest/gtest.h>

#include <QCursor>
#include <QTest>
#include <QWindow>

#include "app/browser_launcher.h"
#include "app/subsystem_ports.h"
#include "bar_window_support.h"
#include "platform/process_launcher.h"

namespace lumetra {
namespace {

using test::HeadlineOnStrip;
using test::Pump;

class BarPointer : public test::BarWindowTest {
 protected:
  void SetUp() override {
    BarWindowTest::SetUp();
    InstallBrowserLauncher(&launcher);
    previous = platform::SetLaunchInterceptor([this](const platform::LaunchRecord& r) {
      if (r.kind == platform::LaunchRecord::Kind::OpenAddress) opened.push_back(r.commandLine);
      return true;
    });
  }
  void TearDown() override {
    BarWindowTest::TearDown();
    platform::SetLaunchInterceptor(std::move(previous));
    InstallBrowserLauncher(nullptr);
  }

  struct NoKeys : KeyboardState {
    bool CtrlOrShiftHeld() const override { return false; }
  } keys;
  SubsystemPorts ports;
  BrowserLauncher launcher{keys, ports};
  std::vector<std::string> opened;
  platform::LaunchInterceptor previous;
};

enum class Gesture { Click, DoubleClick, HoldPastRest };

struct ClickCase {
  const char* what;
  bool singleClick;
  Gesture gesture;
  size_t opens;
};

TEST_F(BarPointer, ClicksOnAHeadlineOpenItsAddressOnce) {
  const ClickCase cases[] = {
      {"single-click mode: press and release, then the pointer rests", true, Gesture::Click, 1},
      {"single-click mode: the rest timer passes while the button is held", true, Gesture::HoldPastRest, 1},
      {"single-click mode: a double click still opens once", true, Gesture::DoubleClick, 1},
      {"double-click mode: a double click", false, Gesture::DoubleClick, 1},
      {"double-click mode: a single click opens nothing", false, Gesture::Click, 0},
      {"double-click mode: a long press opens nothing", false, Gesture::HoldPastRest, 0},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.what);
    settings().NewsSingleClick = c.singleClick;
    opened.clear();
    bars()[0].Speed = 60;  // the headlines arrive within a second
    TNewsMonitor* bar = CreateNewsMonitor(0);
    bar->SetHeadlines({SJ(" デモ "), SJ("一つ目の見出しです"), SJ("二つ目の見出しです"), SJ("三つ目の見出しです"), "      "},
                      {"", "https://a.example/news/1", "https://a.example/news/2", "https://a.example/news/3", ""});
    const QPoint global = HeadlineOnStrip(bar, 2);
    ASSERT_FALSE(global.isNull());
    QWindow* window = bar->windowHandle();
    const QPoint at = window->mapFromGlobal(global);
    // The pointer arrives and stays: the pointer-rest timer runs from here.
    QCursor::setPos(QPoint(0, 0));
    Pump(20);
    QCursor::setPos(global);
    Pump(20);
    EXPECT_EQ(bar->Hint(), platform::SjisToQString(SJ("デモ→https://a.example/news/2")));
    switch (c.gesture) {
      case Gesture::Click: QTest::mouseClick(window, Qt::LeftButton, {}, at); break;
      case Gesture::DoubleClick: QTest::mouseDClick(window, Qt::LeftButton, {}, at); break;
      case Gesture::HoldPastRest:
        QTest::mousePress(window, Qt::LeftButton, {}, at);
        Pump(2 * kPointerRestMs);
        EXPECT_TRUE(opened.empty()) << "opened while the button was still held";
        QTest::mouseRelease(window, Qt::LeftButton, {}, at);
        break;
    }
    // Long enough for the pointer-rest timer to fire after the gesture.
    Pump(3 * kPointerRestMs);
    ASSERT_EQ(opened.size(), c.opens);
    if (c.opens > 0) {
      EXPECT_EQ(opened[0], "https://a.example/news/2");
      ASSERT_FALSE(bar->Opened().empty());
      EXPECT_EQ(bar->Opened().front().url, "https://a.example/news/2");
      EXPECT_EQ(bar->Opened().front().headline, SJ("二つ目の見出しです"));
    }
    EXPECT_EQ(bar->Edge(), kEdgeBottom) << "a click must not move the bar";
    CloseAllBars();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
}  // namespace lumetra
