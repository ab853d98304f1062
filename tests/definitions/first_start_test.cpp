// The real program's first start in an empty data folder: it writes the
// default definitions and colour sets, and its shutdown saves them again
// unchanged (apart from the renewed Salt and Sponsor values).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

#include "definitions/colour_sets.h"
#include "definitions/news_definition.h"
#include "platform/file_io.h"
#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

bool WaitFor(const std::function<bool()>& condition, int ms = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > ms) return false;
    QThread::msleep(20);
  }
  return true;
}

TEST(FirstStart, WritesDefinitionsAndColourSetsThatLoadBackIdentically) {
  test::TempFolder home;
  for (const char* sub : {"config", "share", "run", "data"}) ::mkdir((home / sub).c_str(), 0700);
  const std::string data = home / "data";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(home / "config"));
  env.insert("XDG_DATA_HOME", QString::fromStdString(home / "share"));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "run"));
  env.insert("LUMETRA_DATA_DIR", QString::fromStdString(data));
  env.insert("QT_QPA_PLATFORM", "offscreen");

  QProcess program;
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(LUMETRA_BINARY, {});
  ASSERT_TRUE(program.waitForStarted(10000));
  ASSERT_TRUE(WaitFor([&] { return platform::FileExists(data + "/NewsCol.USR"); })) << "no NewsCol.USR";
  const std::string definitionsAtStart = test::ReadFile(data + "/NewsUrl.USR");
  const std::string coloursAtStart = test::ReadFile(data + "/NewsCol.USR");
  ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
  ASSERT_TRUE(program.waitForFinished(20000));

  TIPlist5 first, last;
  test::WriteFile(home / "first.USR", definitionsAtStart);
  ASSERT_TRUE(first.LoadDefinitions(home / "first.USR"));
  ASSERT_TRUE(last.LoadDefinitions(data + "/NewsUrl.USR"));
  ASSERT_GE(first.Count, 20);
  ASSERT_EQ(last.Count, first.Count);
  EXPECT_EQ(last.CurrentIndex, 1);
  for (int i = 0; i < first.Count; ++i) {
    const NewsDefinition& d = last.Item(i);
    EXPECT_TRUE(SameDefinition(d, first.Item(i))) << i;
    EXPECT_FALSE(FieldText(d.Title).empty()) << i;
    EXPECT_NE(FieldText(d.Url).find(':'), std::string::npos) << i;
    EXPECT_EQ(CategoryCode(CategoryName(d.Category)), d.Category) << i;
  }
  // The demonstration feed is a file shipped beside the program.
  const std::string demo = FieldText(last.Item(1).Url);
  ASSERT_EQ(demo.rfind("file://", 0), 0u);
  EXPECT_TRUE(platform::FileExists(platform::SjisToUtf8(demo.substr(7))));

  EXPECT_EQ(test::ReadFile(data + "/NewsCol.USR"), coloursAtStart);
  TIPlist6 colours;
  ASSERT_EQ(colours.LoadColourSets(data + "/NewsCol.USR"), ColourLoad::Loaded);
  EXPECT_GE(colours.FindByName(SJ("WindowsVista風")), 0);
  EXPECT_GE(colours.FindByName(SJ("天気予報用 Vista風")), 0);
  EXPECT_EQ(FieldText(colours.Item(0).Name), SJ("標準色"));
  // The shutdown also made the backups.
  EXPECT_EQ(test::ReadFile(data + "/NewsBak.NU2"), test::ReadFile(data + "/NewsUrl.USR"));
  EXPECT_EQ(test::ReadFile(data + "/NewsCol.NC2"), coloursAtStart);
}

}  // namespace
}  // namespace lumetra
