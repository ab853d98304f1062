// The real program on a virtual X display with an XEmbed tray (trayer): the
// icon is embedded in the tray, the hot keys and a second start reach the
// companion browser, and "終了する" in the tray menu ends the program through
// its shutdown.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <sys/stat.h>

#include "support/test_support.h"
#include "support/virtual_display.h"

namespace lumetra {
namespace {

using test::ReadFile;
using test::RunOnDisplay;
using test::WriteFile;

bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > ms) return false;
    QThread::msleep(100);
  }
  return true;
}

class TrayOnDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::ProgramsAvailable({"Xvfb", "trayer", "xdotool", "xwininfo"}))
      GTEST_SKIP() << "needs Xvfb, trayer, xdotool and xwininfo";
    display = std::make_unique<test::VirtualDisplay>();
    if (!display->Ok()) GTEST_SKIP() << display->Problem();
    for (const char* sub : {"prog", "data", "config", "share", "run", "bin"}) ::mkdir((home / sub).c_str(), 0700);
    // The program's own folder, so that the companion browser can live beside it.
    ASSERT_TRUE(QFile::copy(LUMETRA_BINARY, QString::fromStdString(home / "prog/lumetra")));
    ::chmod((home / "prog/lumetra").c_str(), 0755);
    Recorder(home / "prog/veska", home / "veska.txt");
    // A shipped definition set of one local page: the patrol has something to
    // fetch (an empty list stops start-up with an error box) and needs no network.
    ::mkdir((home / "prog/data").c_str(), 0700);
    WriteFile(home / "prog/data/default-definitions.txt", "[Local page]\nlocal = page.html\ncategory = その他\n");
    WriteFile(home / "prog/data/page.html", "<html><body><a href=\"x.html\">A local headline</a></body></html>\n");
    Recorder(home / "bin/xdg-open", home / "opened.txt");
    env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display->Name()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("DBUS_SESSION_BUS_ADDRESS");  // the XEmbed tray, not a StatusNotifier host
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home / "config"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home / "share"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "run"));
    env.insert("LUMETRA_DATA_DIR", QString::fromStdString(home / "data"));
    env.insert("PATH", QString::fromStdString(home / "bin") + ":" + env.value("PATH"));
  }
  void TearDown() override {
    for (QProcess* p : {program.get(), tray.get()})
      if (p && p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
  }

  // A program that writes its arguments, each followed by '|', one run per line.
  void Recorder(const std::string& path, const std::string& record) {
    WriteFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done >> '" + record + "'\necho >> '" +
                        record + "'\n");
    ::chmod(path.c_str(), 0755);
  }

  std::unique_ptr<QProcess> Start(const QString& path, const QStringList& arguments) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QString::fromStdString(home / "stderr.txt"), QIODevice::Append);
    p->start(path, arguments);
    return p;
  }

  std::string X(const QString& tool, const QStringList& arguments) {
    return RunOnDisplay(display->Name(), tool, arguments);
  }

  // The program's window embedded in the tray panel, or empty.
  QString TrayIconWindow() {
    QString tree = QString::fromStdString(X("xwininfo", {"-root", "-tree"}));
    QRegularExpression panel(R"((0x[0-9a-f]+) "panel": \("panel" "trayer"\))");
    auto m = panel.match(tree);
    if (!m.hasMatch()) return {};
    QString inside = QString::fromStdString(X("xwininfo", {"-tree", "-id", m.captured(1)}));
    auto icon = QRegularExpression(R"((0x[0-9a-f]+) "[^"]*": \("lumetra" "Lumetra"\)\s+22x22)").match(inside);
    return icon.hasMatch() ? icon.captured(1) : QString();
  }

  int Height(const QString& window) {
    auto m = QRegularExpression(R"(Height:\s+(\d+))").match(QString::fromStdString(X("xwininfo", {"-id", window})));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
  }

  test::TempFolder home;
  std::unique_ptr<test::VirtualDisplay> display;
  QProcessEnvironment env;
  std::unique_ptr<QProcess> program, tray;
};

TEST_F(TrayOnDisplay, TheIconSitsInTheTrayAndItsMenuEndsTheProgram) {
  program = Start(QString::fromStdString(home / "prog/lumetra"), {});
  ASSERT_TRUE(program->waitForStarted(10000));
  ASSERT_TRUE(WaitFor([&] { return ReadFile(home / "data/Handle").size() == 4; })) << ReadFile(home / "stderr.txt");
  // The tray comes up after the program, as it may when a session starts: the icon is retried.
  QThread::msleep(500);
  tray = Start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                          "--transparent", "false"});
  QString icon;
  ASSERT_TRUE(WaitFor([&] { return !(icon = TrayIconWindow()).isEmpty(); }))
      << X("xwininfo", {"-root", "-tree"}) << ReadFile(home / "stderr.txt");

  // The companion browser through the hot key and through a second start.
  X("xdotool", {"key", "ctrl+alt+a"});
  ASSERT_TRUE(WaitFor([&] { return ReadFile(home / "veska.txt") == "-show|\n"; })) << ReadFile(home / "veska.txt");
  auto second = Start(QString::fromStdString(home / "prog/lumetra"), {"http://example.org/a b"});
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 0);
  ASSERT_TRUE(WaitFor([&] { return ReadFile(home / "veska.txt") == "-show|\nhttp://example.org/a b|\n"; }))
      << ReadFile(home / "veska.txt");

  // A right click opens the menu; "終了する" is its last entry.
  X("xdotool", {"mousemove", "--window", icon, "11", "11", "click", "3"});
  QString menu;
  ASSERT_TRUE(WaitFor([&] {
    for (const QString& w : QString::fromStdString(X("xdotool", {"search", "--onlyvisible", "--class", "lumetra"}))
                                .split('\n', Qt::SkipEmptyParts))
      if (Height(w) > 100) menu = w;
    return !menu.isEmpty();
  }));
  X("xdotool", {"mousemove", "--window", menu, "30", QString::number(Height(menu) - 12), "click", "1"});

  ASSERT_TRUE(program->waitForFinished(15000)) << "still running after 終了する";
  EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program->exitCode(), 0);
  std::string reg = ReadFile(home / "config/TARVO/Lumetra.reg");
  EXPECT_NE(reg.find("\"VersionNo\"=dword:00000078"), std::string::npos);
  // The companion browser the program started is closed by the shutdown.
  EXPECT_EQ(ReadFile(home / "veska.txt"), "-show|\nhttp://example.org/a b|\n-close|\n");
  EXPECT_TRUE(TrayIconWindow().isEmpty());
}

}  // namespace
}  // namespace lumetra
