// The real program on a virtual X display: a first start docks bar 0 at the
// bottom and reserves that edge; bars moved with the pointer are where they
// were left after the program ends and starts again.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

#include "support/test_support.h"
#include "support/virtual_display.h"

namespace lumetra {
namespace {

using test::ReadFile;
using test::RunOnDisplay;

bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > ms) return false;
    QThread::msleep(100);
  }
  return true;
}

class BarsOfTheProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::ProgramsAvailable({"Xvfb", "xdotool", "xwininfo", "xprop"}))
      GTEST_SKIP() << "needs Xvfb, xdotool, xwininfo and xprop";
    display = std::make_unique<test::VirtualDisplay>();
    if (!display->Ok()) GTEST_SKIP() << display->Problem();
    for (const char* sub : {"data", "config", "share", "run"}) ::mkdir((home / sub).c_str(), 0700);
    env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display->Name()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home / "config"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home / "share"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "run"));
    env.insert("LUMETRA_DATA_DIR", QString::fromStdString(home / "data"));
    // The X server resets when its last client leaves, and refuses
    // connections meanwhile: a client stays connected between the starts.
    keeper = std::make_unique<QProcess>();
    keeper->setProcessEnvironment(env);
    keeper->start("xprop", {"-root", "-spy", "_NET_ACTIVE_WINDOW"});
    ASSERT_TRUE(keeper->waitForStarted(5000));
  }
  void TearDown() override {
    for (QProcess* p : {program.get(), keeper.get()})
      if (p && p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
  }

  void Start() {
    program = std::make_unique<QProcess>();
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program->start(LUMETRA_BINARY, {});
    ASSERT_TRUE(program->waitForStarted(10000));
  }
  void Stop() {
    ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(20000));
    EXPECT_EQ(program->exitCode(), 0);
  }

  // The window of that name on the display; an empty rectangle while there is none.
  QRect Window(const char* name) {
    const QString out = QString::fromStdString(RunOnDisplay(display->Name(), "xwininfo", {"-name", name}));
    auto number = [&out](const char* label) {
      const QRegularExpressionMatch m = QRegularExpression(QString(label) + ":\\s*(-?\\d+)").match(out);
      return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    const QString state = QRegularExpression("Map State:\\s*(\\w+)").match(out).captured(1);
    if (state != "IsViewable") return {};
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
  }
  std::string Strut(const char* name) {
    const std::string id = RunOnDisplay(display->Name(), "xdotool", {"search", "--name", QString("^%1$").arg(name)});
    return RunOnDisplay(display->Name(), "xprop",
                        {"-id", QString::fromStdString(id).split('\n').first(), "_NET_WM_STRUT_PARTIAL"});
  }
  void Drag(QPoint from, QPoint to) {
    auto x = [this](const QStringList& arguments) { RunOnDisplay(display->Name(), "xdotool", arguments); };
    x({"mousemove", QString::number(from.x()), QString::number(from.y())});
    QThread::msleep(100);
    x({"mousedown", "1"});
    QThread::msleep(100);
    const QPoint middle = (from + to) / 2;
    x({"mousemove", QString::number(middle.x()), QString::number(middle.y())});
    QThread::msleep(100);
    x({"mousemove", QString::number(to.x()), QString::number(to.y())});
    QThread::msleep(100);
    x({"mouseup", "1"});
  }

  test::TempFolder home;
  std::unique_ptr<test::VirtualDisplay> display;
  QProcessEnvironment env;
  std::unique_ptr<QProcess> program;
  std::unique_ptr<QProcess> keeper;
};

TEST_F(BarsOfTheProgram, BarsComeBackWhereTheyWereLeft) {
  // The virtual display is 1024 x 768.
  Start();
  ASSERT_TRUE(WaitFor([&] { return Window("NewsMonitor") == QRect(0, 747, 1024, 21); }))
      << "bar 0 not docked at the bottom";
  EXPECT_NE(Strut("NewsMonitor").find("= 0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 1023"), std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return !Window("NewsMonitor-1").isEmpty(); })) << "bar 1 not shown";

  // Bar 0 goes to the top edge, bar 1 somewhere else on the screen.
  Drag({500, 757}, {500, 2});
  ASSERT_TRUE(WaitFor([&] { return Window("NewsMonitor") == QRect(0, 0, 1024, 21); }))
      << "bar 0 did not dock at the top";
  const QRect bar1 = Window("NewsMonitor-1");
  Drag(bar1.topLeft() + QPoint(20, 10), {320, 420});
  ASSERT_TRUE(WaitFor([&] { return Window("NewsMonitor-1").topLeft() == QPoint(300, 410); }))
      << "bar 1 did not move";
  Stop();

  const std::string reg = ReadFile(home / "config/TARVO/Lumetra.reg");
  EXPECT_NE(reg.find("\"NewsMonitorTaskBarMode\"=dword:00000002"), std::string::npos);
  EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\SOFTWARE\\TARVO\\Lumetra\\NewsMonitor-1]\n\"Left2\"=dword:0000012c\n"
                     "\"Top2\"=dword:0000019a"),
            std::string::npos)
      << reg;

  Start();
  EXPECT_TRUE(WaitFor([&] { return Window("NewsMonitor") == QRect(0, 0, 1024, 21); })) << "bar 0 not at the top";
  EXPECT_TRUE(WaitFor([&] { return Window("NewsMonitor-1") == QRect(QPoint(300, 410), bar1.size()); }))
      << "bar 1 not where it was left";
  EXPECT_NE(Strut("NewsMonitor").find("= 0, 0, 21, 0,"), std::string::npos);
  Stop();
}

}  // namespace
}  // namespace lumetra
