// Bars on a real (virtual) X display: the reservation a window manager reads
// is set for the docked edge and goes when the bar floats, auto-hides or
// closes; the window is a dock while docked; closing writes the bar's key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QRegularExpression>
#include <QScreen>
#include <cstdlib>

#include "bar_window_support.h"
#include "support/display_application.h"
#include "ticker/ticker_bar.h"

namespace lumetra {
namespace {

using test::Pump;
using test::RunOnDisplay;

class BarOnDisplay : public test::BarWindowTest {
 protected:
  static void SetUpTestSuite() {
    screen = std::make_unique<test::DisplayApplication<QApplication>>(QStringList{"xprop"});
  }
  static void TearDownTestSuite() { screen.reset(); }
  void SetUp() override {
    if (!screen->Ok()) GTEST_SKIP() << screen->Problem();
    BarWindowTest::SetUp();
  }

  // The window's property as numbers or names; empty when it is not set.
  QStringList Property(TNewsMonitor* bar, const char* name) {
    Pump(50);
    const std::string out =
        RunOnDisplay(screen->Name(), "xprop", {"-id", QString::number(bar->winId()), QString::fromLatin1(name)});
    const QString text = QString::fromStdString(out).trimmed();
    const int equals = text.indexOf('=');
    if (equals < 0) return {};
    QStringList values = text.mid(equals + 1).split(',', Qt::SkipEmptyParts);
    for (QString& v : values) v = v.trimmed();
    return values;
  }
  QStringList Strut(TNewsMonitor* bar) { return Property(bar, "_NET_WM_STRUT_PARTIAL"); }
  QStringList Values(std::initializer_list<int> numbers) {
    QStringList list;
    for (int n : numbers) list << QString::number(n);
    return list;
  }

  static inline std::unique_ptr<test::DisplayApplication<QApplication>> screen;
};

TEST_F(BarOnDisplay, ADockedBarReservesItsEdgeAndReleasesItWhenFloating) {
  const QRect s = QGuiApplication::primaryScreen()->geometry();
  const int w = s.width(), h = s.height();
  struct Case {
    int placement;
    QStringList strut;
  };
  const Case cases[] = {
      {3, Values({0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, w - 1})},
      {2, Values({0, 0, 21, 0, 0, 0, 0, 0, 0, w - 1, 0, 0})},
      {4, Values({21, 0, 0, 0, 0, h - 1, 0, 0, 0, 0, 0, 0})},
      {5, Values({0, 21, 0, 0, 0, 0, 0, h - 1, 0, 0, 0, 0})},
  };
  TNewsMonitor* bar = CreateNewsMonitor(0);
  ASSERT_NE(bar, nullptr);
  for (const Case& c : cases) {
    bar->ChoosePlacementItem(c.placement);
    EXPECT_EQ(Strut(bar), c.strut) << "placement " << c.placement;
    EXPECT_EQ(Property(bar, "_NET_WM_STRUT"), c.strut.mid(0, 4)) << "placement " << c.placement;
    EXPECT_TRUE(Property(bar, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DOCK"));
  }
  bar->ChoosePlacementItem(1);  // free: floating
  EXPECT_EQ(bar->Edge(), kEdgeFloat);
  EXPECT_TRUE(Strut(bar).isEmpty());
  EXPECT_TRUE(Property(bar, "_NET_WM_STRUT").isEmpty());
  EXPECT_FALSE(Property(bar, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DOCK"));
  bar->ChoosePlacementItem(3);
  EXPECT_EQ(Strut(bar), cases[0].strut);
  // Auto-hidden, the edge is not reserved.
  ASSERT_TRUE(bar->ToggleAutoHide());
  EXPECT_TRUE(Strut(bar).isEmpty());
  ASSERT_TRUE(bar->ToggleAutoHide());
  EXPECT_EQ(Strut(bar), cases[0].strut);
}

TEST_F(BarOnDisplay, ClosingWritesTheBarsKeyAndGivesTheEdgeBack) {
  bars()[2].Placement = 2;
  bars()[2].HorzDockSize = 30;
  TNewsMonitor* bar = CreateNewsMonitor(2);
  ASSERT_EQ(Strut(bar).value(2), "30");
  const WId id = bar->winId();
  bars()[2].Speed = 640;
  bar->FormClose();
  EXPECT_EQ(RegistryInt(2, "NewsMonitorTaskBarMode"), 2);
  EXPECT_EQ(RegistryInt(2, "NewsMonitorHorzDockSize"), 30);
  EXPECT_EQ(RegistryInt(2, "NewsShowIntervalN2"), 640);
  // The window (and with it any reservation) is gone once the loop has run.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Pump(100);
  EXPECT_EQ(RunOnDisplay(screen->Name(), "xprop", {"-id", QString::number(id), "_NET_WM_STRUT_PARTIAL"}), "");
}

TEST_F(BarOnDisplay, AnAutoHiddenBarSlidesOutUnderThePointerAndBackAfterIt) {
  if (!test::ProgramsAvailable({"xdotool"})) GTEST_SKIP() << "needs xdotool";
  auto pointer = [](int x, int y) {
    RunOnDisplay(screen->Name(), "xdotool", {"mousemove", QString::number(x), QString::number(y)});
  };
  const QRect s = QGuiApplication::primaryScreen()->geometry();
  pointer(s.center().x(), s.center().y());
  bars()[0].AutoHide = true;
  TNewsMonitor* bar = CreateNewsMonitor(0);
  ASSERT_TRUE(bar->AutoHideOn());
  EXPECT_TRUE(Strut(bar).isEmpty());
  ASSERT_TRUE(test::PumpUntil([&] { return bar->geometry() == QRect(0, s.bottom() - 1, s.width(), 2); }))
      << "not collapsed";
  pointer(200, s.bottom());
  ASSERT_TRUE(test::PumpUntil([&] { return bar->geometry() == QRect(0, s.bottom() - 20, s.width(), 21); }))
      << "not shown under the pointer";
  pointer(200, s.center().y());
  EXPECT_TRUE(test::PumpUntil([&] { return bar->geometry().height() == 2; })) << "not hidden again";
}

TEST_F(BarOnDisplay, AColourKeyedBarShowsTheDesktopThroughItsBackground) {
  bars()[0].Alpha = 10;
  TNewsMonitor* bar = CreateNewsMonitor(0);
  const QColor back = bar->palette().color(QPalette::Window);
  auto corner = [&] {
    Pump(150);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, bar->x(), bar->y(), 4, 4).toImage();
    return QColor(shot.pixel(1, 1));
  };
  ASSERT_TRUE(test::PumpUntil([&] { return bar->mask().rectCount() > 4; }, 5000));
  EXPECT_NE(corner(), back);  // the X server's shape lets the root window through
  bar->SetAlpha(255);
  EXPECT_EQ(corner(), back);
}

}  // namespace
}  // namespace lumetra
