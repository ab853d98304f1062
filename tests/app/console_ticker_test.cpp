// The real program as a console ticker: it prints the headlines of the
// patrolled definitions in UTF-8, also when there is no display, and ends
// cleanly on SIGINT and SIGTERM, keeping the definition file. The offline
// demonstration needs no network: its address is a file beside the program.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

class ConsoleTicker : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"config", "share", "run", "data"}) ::mkdir((home / sub).c_str(), 0700);
    data = home / "data";
    env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home / "config"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home / "share"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "run"));
    env.insert("LUMETRA_DATA_DIR", QString::fromStdString(data));
  }

  // Starts the program, waits until its output holds `expected`, then sends
  // `signal` and returns the output; the exit code goes to `exitCode`.
  std::string RunUntil(const QStringList& arguments, const std::string& expected, int signal, int* exitCode,
                       std::string* errors = nullptr) {
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(LUMETRA_BINARY, arguments);
    EXPECT_TRUE(program.waitForStarted(10000));
    std::string out;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000) {
      program.waitForReadyRead(100);
      out += program.readAllStandardOutput().toStdString();
      if (!expected.empty() && out.find(expected) != std::string::npos) break;
    }
    ::kill(static_cast<pid_t>(program.processId()), signal);
    EXPECT_TRUE(program.waitForFinished(20000));
    out += program.readAllStandardOutput().toStdString();
    if (errors) *errors = program.readAllStandardError().toStdString();
    *exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    return out;
  }

  test::TempFolder home;
  std::string data;
  QProcessEnvironment env;
};

TEST_F(ConsoleTicker, PrintsTheDemonstrationFromThePatrolAndLaterFromTheCache) {
  // A first start without network: the patrol copies the offline feed into
  // its page cache and the page is printed.
  int code = -1;
  std::string out = RunUntil({"--console"}, "ネットワークがなくても表示されます", SIGINT, &code);
  EXPECT_EQ(code, 0);
  EXPECT_NE(out.find("■ Lumetra デモ（オフライン）"), std::string::npos) << out;
  EXPECT_NE(out.find("  Lumetra へようこそ　このバーには登録したニュースサイトの見出しが流れます\n"
                     "    file://"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("/data/sample/welcome.html#ticker\n"), std::string::npos) << out;
  TIPlist5 list;
  ASSERT_TRUE(list.LoadDefinitions(data + "/NewsUrl.USR"));
  EXPECT_NE(list.Item(1).LastModified, 0.0);  // the fetch was saved at the end
  EXPECT_TRUE(platform::FileExists(data + "/NewsBak.NU2"));

  // The next start prints the cached page at once, and SIGTERM ends it too.
  out = RunUntil({"--console"}, "POP3 メールの着信チェックや迷惑メールの削除もできます", SIGTERM, &code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out.find("■ Lumetra デモ（オフライン）"), 0u) << out;
}

TEST_F(ConsoleTicker, RunsWithoutADisplay) {
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  int code = -1;
  std::string errors;
  std::string out = RunUntil({}, "ネットワークがなくても表示されます", SIGINT, &code, &errors);
  EXPECT_EQ(code, 0);
  EXPECT_NE(out.find("見出しをクリックすると、その記事をブラウザで開きます"), std::string::npos) << out;
  EXPECT_NE(errors.find("no display"), std::string::npos) << errors;
}

}  // namespace
}  // namespace lumetra
