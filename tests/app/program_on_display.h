#pragma once
// The real program on a virtual X display of the test's own: private
// folders and environment, starting it and ending it with SIGTERM, and the X
// tools that look at its windows and drive the pointer and the keyboard.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "support/test_support.h"
#include "support/virtual_display.h"

namespace lumetra::test {

// Waits for `condition`, keeping this process's event loop (and so its test
// servers) running when it has one.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > ms) return false;
    if (QCoreApplication::instance())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(QCoreApplication::instance() ? 20 : 100);
  }
  return true;
}

class ProgramOnDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramsAvailable({"Xvfb", "xdotool", "xwininfo", "xprop"}))
      GTEST_SKIP() << "needs Xvfb, xdotool, xwininfo and xprop";
    display = std::make_unique<VirtualDisplay>();
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
    ASSERT_TRUE(WaitFor([&] { return program->state() == QProcess::NotRunning || program->waitForFinished(10); }, 20000));
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
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
  std::string XDo(const QStringList& arguments) { return RunOnDisplay(display->Name(), "xdotool", arguments); }
  void MoveTo(QPoint at) { XDo({"mousemove", QString::number(at.x()), QString::number(at.y())}); }

  TempFolder home;
  std::unique_ptr<VirtualDisplay> display;
  QProcessEnvironment env;
  std::unique_ptr<QProcess> program;
  std::unique_ptr<QProcess> keeper;
};

}  // namespace lumetra::test
