#include "app/browser_launcher.h"

#include <gtest/gtest.h>

#include <QProcess>

#include "platform/file_io.h"
#include "platform/process_launcher.h"
#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

using platform::LaunchRecord;

struct Keys : KeyboardState {
  bool held = false;
  bool CtrlOrShiftHeld() const override { return held; }
};

struct Lists : ListsPort {
  int DefinitionCount() const override { return 3; }
  bool IsBoardDefinition(int index) const override { return index == 1; }
  int ColourSetCount() const override { return 0; }
  std::string ColourSetName(int) const override { return {}; }
};

struct Bars : NewsPort {
  bool bar0 = false;
  int pauses = 0;
  bool Available() const override { return true; }
  bool PageCheckExists() const override { return true; }
  bool Bar0FetchTimerEnabled() const override { return false; }
  std::optional<std::string> SingleCheckDefinition() const override { return std::nullopt; }
  platform::WindowHandle Bar(int n) const override { return n == 0 && bar0 ? 42 : 0; }
  void OpenBar(int) override {}
  void ToggleBarsOffScreen() override {}
  void SetBarsEnabled(bool) override {}
  void StartBar0BrowserPause() override { ++pauses; }
  platform::WindowHandle CompanionViewerWindow() const override { return 0; }
};

class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    ports.news.reset(bars);
    ports.lists.reset(lists);
    st.ProgramFolder = folder.path();
    previous = platform::SetLaunchInterceptor([this](const LaunchRecord& r) {
      launched.push_back((r.kind == LaunchRecord::Kind::OpenAddress ? "open " : "run ") + r.commandLine);
      return true;
    });
  }
  void TearDown() override { platform::SetLaunchInterceptor(previous); }

  void Companion(bool present) {
    if (present) test::WriteFile(folder / "veska", "#!/bin/sh\n");
  }
  std::string Veska() const { return "run \"" + folder.path() + "/veska\""; }

  test::TempFolder folder;
  Settings s;
  AppState st;
  Keys keys;
  Bars* bars = new Bars;
  Lists* lists = new Lists;
  SubsystemPorts ports;
  BrowserLauncher launcher{keys, ports, s, st};
  std::vector<std::string> launched;
  platform::LaunchInterceptor previous;
};

struct Case {
  const char* what;
  bool companion, browsChange, modifier;
  int index;
  bool appoint2ch;
  const char* name2ch;
  bool appoint;
  const char* name;
  const char* address;
  bool cut;
  std::string expected;  // "VESKA" stands for the quoted companion path
};

TEST_F(Launcher, DecisionTable) {
  const Case cases[] = {
      {"companion preferred, plain click", true, true, false, 2, false, "", false, "", "http://a/b", true,
       "VESKA -msgnum 2 -news http://a/b"},
      {"companion, no definition", true, true, false, -1, false, "", false, "", "http://a/b", true, "VESKA http://a/b"},
      {"companion preferred, Ctrl: the default browser", true, true, true, 2, false, "", false, "", "http://a/b", true,
       "open http://a/b"},
      {"companion preferred, Ctrl: the designated browser", true, true, true, 2, false, "", true, "/usr/bin/firefox",
       "http://a/b", true, "run \"/usr/bin/firefox\" http://a/b"},
      {"companion not preferred, Shift: the companion", true, false, true, 0, false, "", true, "/usr/bin/firefox",
       "http://a/b", true, "VESKA -msgnum 0 -news http://a/b"},
      {"companion not preferred, plain: designated", true, false, false, 0, false, "", true, "/usr/bin/firefox",
       "http://a/b", true, "run \"/usr/bin/firefox\" http://a/b"},
      {"companion missing: falls through", false, true, false, 2, false, "", false, "", "http://a/b", true,
       "open http://a/b"},
      {"board, companion preferred, plain", true, true, false, 1, true, "\"/opt/jane\" -x", false, "", "http://a/b",
       true, "run \"/opt/jane\" -x http://a/b"},
      {"board, companion preferred, Ctrl", true, true, true, 1, true, "/opt/jane", false, "", "http://a/b", true,
       "run \"/opt/jane\" http://a/b"},
      {"board, companion not preferred, Shift: the companion", true, false, true, 1, true, "/opt/jane", false, "",
       "http://a/b", true, "VESKA -msgnum 1 -news http://a/b"},
      {"board, no companion", false, true, false, 1, true, "/opt/jane", true, "/usr/bin/firefox", "http://a/b", true,
       "run \"/opt/jane\" http://a/b"},
      {"board browser not chosen", false, true, false, 1, false, "/opt/jane", true, "/usr/bin/firefox", "http://a/b",
       true, "run \"/usr/bin/firefox\" http://a/b"},
      {"not a board definition", false, true, false, 2, true, "/opt/jane", false, "", "http://a/b", true,
       "open http://a/b"},
      {"index beyond the list is no board", true, true, false, 7, true, "/opt/jane", false, "", "http://a/b", true,
       "VESKA -msgnum 7 -news http://a/b"},
      {"quoted designated browser with arguments", false, true, false, -1, false, "", true,
       "\"/opt/my browser/run\" --new-tab", "http://a/b", true, "run \"/opt/my browser/run\" --new-tab http://a/b"},
      {"a click is cut at the blank", false, true, false, 2, false, "", true, "/usr/bin/firefox",
       "http://a/b c d", true, "run \"/usr/bin/firefox\" http://a/b"},
      {"a handed address stays whole", false, true, false, -1, false, "", true, "/usr/bin/firefox", "http://a/b c",
       false, "run \"/usr/bin/firefox\" \"http://a/b c\""},
      {"the default browser gets it trimmed", false, true, false, -1, false, "", false, "", "  http://a/b c ", false,
       "open http://a/b c"},
      {"an empty designated name is no choice", false, true, false, -1, false, "", true, "  ", "http://a/b", true,
       "open http://a/b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::RemoveFile(folder / "veska");
    Companion(c.companion);
    s.BrowsChange_ = c.browsChange;
    keys.held = c.modifier;
    s.BrowsAppoint2CH = c.appoint2ch;
    s.BrowsName2CH = c.name2ch;
    s.BrowsAppoint = c.appoint;
    s.BrowsName = c.name;
    launched.clear();
    launcher.OpenUrl(c.address, c.cut, c.index);
    std::string expected = c.expected;
    if (expected.rfind("VESKA", 0) == 0) expected = Veska() + expected.substr(5);
    EXPECT_EQ(launched, std::vector<std::string>{expected});
  }
}

TEST_F(Launcher, TheCompanionIsRememberedForTheShutdown) {
  Companion(true);
  launcher.OpenUrl("http://a/", true, 0);
  EXPECT_TRUE(st.CompanionStarted);
  EXPECT_TRUE(st.BrowserOpened);
}

TEST_F(Launcher, CommandLinesArriveAsTheRightArguments) {
  // What the designated browser's process really receives.
  std::string command = DesignatedBrowserCommand("/usr/bin/firefox", "http://a/b c\"d");
  EXPECT_EQ(QProcess::splitCommand(platform::SjisToQString(command)),
            (QStringList{"/usr/bin/firefox", "http://a/b c\"d"}));
  command = DesignatedBrowserCommand("\"/opt/my browser\" -new", "http://a/b");
  EXPECT_EQ(QProcess::splitCommand(platform::SjisToQString(command)),
            (QStringList{"/opt/my browser", "-new", "http://a/b"}));
}

TEST_F(Launcher, EveryLaunchPausesBar0WhenAskedTo) {
  s.NewsMonitorStop = true;
  launcher.OpenUrl("http://a/", true, -1);
  EXPECT_EQ(bars->pauses, 0);  // no bar 0
  bars->bar0 = true;
  launcher.OpenUrl("http://a/", true, -1);
  Companion(true);
  launcher.OpenUrl("http://a/", true, 2);
  EXPECT_EQ(bars->pauses, 2);
  s.NewsMonitorStop = false;
  launcher.OpenUrl("http://a/", true, 2);
  EXPECT_EQ(bars->pauses, 2);
}

TEST_F(Launcher, ACallDuringALaunchIsIgnored) {
  platform::SetLaunchInterceptor([this](const LaunchRecord& r) {
    launched.push_back(r.commandLine);
    launcher.OpenUrl("http://nested/", false, -1);  // arrives through nested message processing
    return true;
  });
  launcher.OpenUrl("http://outer/", false, -1);
  EXPECT_EQ(launched, std::vector<std::string>{"http://outer/"});
  launcher.OpenUrl("http://next/", false, -1);  // and the launcher is free again afterwards
  EXPECT_EQ(launched.back(), "http://next/");
}

TEST_F(Launcher, CompanionMailProgramAndHelpCommandLines) {
  EXPECT_FALSE(StartCompanion(" -show", false, st));  // missing: nothing visible happens
  Companion(true);
  EXPECT_TRUE(StartCompanion(" -search", false, st));
  EXPECT_TRUE(st.CompanionStarted);
  EXPECT_EQ(launched, std::vector<std::string>{Veska() + " -search"});

  std::vector<LaunchRecord> records;
  platform::SetLaunchInterceptor([&](const LaunchRecord& r) {
    records.push_back(r);
    return true;
  });
  EXPECT_TRUE(StartMailProgram("/usr/lib/thunderbird/thunderbird"));
  EXPECT_TRUE(StartMailProgram("\"/opt/my mail/mailer\" -compose"));
  EXPECT_FALSE(StartMailProgram(""));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].commandLine, "\"/usr/lib/thunderbird/thunderbird\"");
  EXPECT_EQ(records[0].workingFolder, "/usr/lib/thunderbird");
  EXPECT_EQ(records[1].commandLine, "\"/opt/my mail/mailer\" -compose");
  EXPECT_EQ(records[1].workingFolder, "/opt/my mail");

  st.HelpFile = folder / "Lumetra.chm";
  EXPECT_FALSE(OpenHelpFile(st));
  test::WriteFile(st.HelpFile, "help");
  EXPECT_TRUE(OpenHelpFile(st));
  EXPECT_EQ(records.back().kind, LaunchRecord::Kind::OpenAddress);
  EXPECT_EQ(records.back().commandLine, st.HelpFile);
}

}  // namespace
}  // namespace lumetra
