// The real program as separate processes: single instance, hand-off of
// addresses from a second start, and shutdown on SIGTERM.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

#include "support/test_support.h"

namespace lumetra {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > ms) return false;
    QThread::msleep(20);
  }
  return true;
}

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"config", "share", "run", "data", "bin"}) ::mkdir((home / sub).c_str(), 0700);
    // The desktop's "open" is replaced by a recorder.
    opened = home / "opened.txt";
    std::string script = home / "bin/xdg-open";
    WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + opened + "'\n");
    ::chmod(script.c_str(), 0755);
    env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home / "config"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home / "share"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "run"));
    env.insert("LUMETRA_DATA_DIR", QString::fromStdString(home / "data"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PATH", QString::fromStdString(home / "bin") + ":" + env.value("PATH"));
  }
  void TearDown() override {
    if (first && first->state() != QProcess::NotRunning) {
      first->kill();
      first->waitForFinished(5000);
    }
  }

  void StartFirst() {
    first = std::make_unique<QProcess>();
    first->setProcessEnvironment(env);
    first->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first->start(LUMETRA_BINARY, {});
    ASSERT_TRUE(first->waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return ReadFile(home / "data/Handle").size() == 4; })) << "no Handle file";
    // The hand-off socket is opened right after the Handle file is written.
    QThread::msleep(300);
  }

  int RunSecond(const QStringList& arguments) {
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(LUMETRA_BINARY, arguments);
    if (!second.waitForFinished(15000)) return -1;
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -2;
  }

  TempFolder home;
  std::string opened;
  QProcessEnvironment env;
  std::unique_ptr<QProcess> first;
};

TEST_F(Program, SecondStartHandsItsAddressOverUnchangedAndEnds) {
  StartFirst();
  EXPECT_EQ(RunSecond({"HTTP://example.org/a b"}), 0);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(opened) == "HTTP://example.org/a b\n"; })) << ReadFile(opened);
  EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(Program, SecondStartWithOnlyAFileHandsNothingOver) {
  StartFirst();
  EXPECT_EQ(RunSecond({"news.NUD"}), 0);
  QThread::msleep(500);
  EXPECT_EQ(ReadFile(opened), "");
  EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(Program, SecondStartWithADamagedHandleFileEndsQuietly) {
  StartFirst();
  WriteFile(home / "data/Handle", "\x01\x02");
  EXPECT_EQ(RunSecond({"http://example.org/"}), 0);
  QThread::msleep(300);
  EXPECT_EQ(ReadFile(opened), "");
}

TEST_F(Program, TerminationRunsTheShutdownAndWritesTheSettings) {
  StartFirst();
  ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
  ASSERT_TRUE(first->waitForFinished(15000));
  EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first->exitCode(), 0);
  std::string reg = ReadFile(home / "config/TARVO/Lumetra.reg");
  EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\SOFTWARE\\TARVO\\Lumetra\\Options]"), std::string::npos);
  EXPECT_NE(reg.find("\"VersionNo\"=dword:00000078"), std::string::npos);
}

TEST_F(Program, ACrashedCopyDoesNotBlockTheNextStart) {
  StartFirst();
  ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
  first->waitForFinished(5000);
  // The stale Handle file and socket of the dead copy are still there.
  StartFirst();
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_EQ(RunSecond({"http://example.org/again"}), 0);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(opened) == "http://example.org/again\n"; }));
}

}  // namespace
}  // namespace lumetra
