// "lumetra --fetch-once N" as a user runs it: no display, output and exit code.
#include <gtest/gtest.h>

#include <QProcess>
#include <sys/stat.h>

#include "definitions/news_definition.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

struct Outcome {
  int code = -1;
  std::string out;
};

Outcome FetchOnce(const test::TempFolder& home, const QString& number) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(home / "config"));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path()));
  p.setProcessEnvironment(env);
  p.start(LUMETRA_BINARY, {"--data-dir", QString::fromStdString(home / "data"), "--fetch-once", number});
  if (!p.waitForFinished(30000)) return {};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAllStandardOutput().toStdString()};
}

TEST(FetchOnceCommand, SaysWhetherTheDefinitionsPageChanged) {
  test::TempFolder home;
  const std::string page = home / "page.rdf";
  test::WriteFile(page, "<rdf>\n<item>The first local headline</item>\n</rdf>\n");
  TIPlist5 list;
  NewsDefinition d = DefaultDefinition(0);
  SetFieldText(d.Url, "file://" + page);
  SetFieldText(d.Title, "local");
  list.Append(d);
  ::mkdir((home / "data").c_str(), 0700);
  ASSERT_TRUE(list.SaveDefinitions(home / "data/NewsUrl.USR"));

  struct Step {
    const char* name;
    const char* content;  // nullptr: the page stays
    QString number;
    int code;
    std::string out;
  } steps[] = {
      {"first fetch", nullptr, "0", 1, "changed\n"},
      {"same page", nullptr, "0", 0, "unchanged\n"},
      {"new page", "<rdf>\n<item>The second local headline</item>\n</rdf>\n", "0", 1, "changed\n"},
      {"no such definition", nullptr, "7", 2, ""},
      {"not a number", nullptr, "one", 2, ""},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    if (s.content) test::WriteFile(page, s.content);
    Outcome r = FetchOnce(home, s.number);
    EXPECT_EQ(r.code, s.code);
    EXPECT_EQ(r.out, s.out);
  }
  EXPECT_EQ(test::ReadFile(home / "data/News/local.dat"), test::ReadFile(page));
  // The fetch is remembered in the definition file.
  TIPlist5 saved;
  ASSERT_TRUE(saved.LoadDefinitions(home / "data/NewsUrl.USR"));
  EXPECT_EQ(saved.Item(0).HasNew, 1);
  EXPECT_NE(saved.Item(0).LastModified, 0.0);
}

}  // namespace
}  // namespace lumetra
