#include "app/settings.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/registry.h"
#include "platform/sjis_text.h"

namespace lumetra {
namespace {

using platform::Registry;
using platform::RegistryStore;
using platform::RootKey;

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    RegistryStore::For(RootKey::CurrentUser).Clear();
    state.ProgramFolder = "/opt/lumetra";
    state.IsNT = state.IsWin2000OrLater = state.IsXPOrLater = state.IsVistaOrLater = state.IsWin7OrLater = true;
    state.ScreenHeight = 600;
    state.ColourCount = 16777216;
  }
  void Load() { OptionsReadWrite(0, s, table, state, mailers); }
  void Save() { OptionsReadWrite(1, s, table, state, mailers); }

  AppState state;
  Settings s{"/opt/lumetra"};
  BarTable table = DefaultBarTable();
  MailPrograms mailers;
};

TEST_F(SettingsStore, EmptyRegistryGivesTheDefaults) {
  Load();
  EXPECT_FALSE(s.SetupQ);
  EXPECT_TRUE(s.PopUpGo);
  EXPECT_TRUE(state.PopUpMode);
  EXPECT_EQ(s.HotKeyIndex, (std::array<int, 8>{0, 1, 2, 32, 5, 6, 28, 19}));
  EXPECT_EQ(s.NewsMonitorVisible[1], true);
  EXPECT_EQ(s.NewsMonitorVisible[2], false);
  EXPECT_EQ(s.ProxyPort, 8080);
  EXPECT_EQ(s.MailSSLPort, 995);
  EXPECT_EQ(s.BackColor, 0x808000);
  EXPECT_EQ(s.Defualtrasno, 1);
  EXPECT_EQ(s.PopupBkColor, static_cast<int>(0x80000018u));
  EXPECT_EQ(s.PopupLine2, 18);  // 600 / 32
  EXPECT_EQ(s.Mailer1Title, SJ("メーラー１"));
  EXPECT_EQ(s.VoiceSoftalkLocation, "/opt/lumetra/Softalk/softalk.exe");
  EXPECT_EQ(s.SoundFileName[2], "/opt/lumetra/NewMail1.wav");
  EXPECT_EQ(s.SoundFileName[14], "/opt/lumetra/HitNews.wav");
  EXPECT_TRUE(state.BrowserFree);
  // Bar 0 and bar 1: no composition here, so the "Vista" look and its indexes.
  EXPECT_EQ(table[0].Speed, 1100);
  EXPECT_EQ(table[0].Alpha, 255);
  EXPECT_FALSE(table[0].Outline);
  EXPECT_EQ(table[0].ColourSet, 25);
  EXPECT_EQ(table[1].ColourSet, 26);
  EXPECT_EQ(table[2].ColourSet, 18);
  EXPECT_EQ(table[0].ColourSetName, SJ("WindowsVista風"));
  EXPECT_EQ(table[1].ColourSetName, SJ("天気予報用 Vista風"));
  EXPECT_EQ(table[1].Definition, -1);
  EXPECT_EQ(table[0].FontName, SJ("ＭＳ ゴシック"));
  EXPECT_EQ(table[4].Placement, 5);
}

TEST_F(SettingsStore, ComputedDefaultsFollowTheSystem) {
  struct Case {
    int screenHeight, colours;
    bool glass;
    int popupLines, speed, alpha;
    bool outline;
    int colour0, colour1;
  } cases[] = {
      {600, 16777216, false, 18, 1100, 255, false, 25, 26},
      {240, 256, false, 10, 1100, 255, true, 25, 26},
      {1080, 65536, true, 33, 964, 10, false, 30, 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screenHeight);
    state.ScreenHeight = c.screenHeight;
    state.ColourCount = c.colours;
    state.GlassEnabled = c.glass;
    s = Settings("/opt/lumetra");
    table = DefaultBarTable();
    Load();
    EXPECT_EQ(s.PopupLine2, c.popupLines);
    EXPECT_EQ(table[0].Speed, c.speed);
    EXPECT_EQ(table[0].Alpha, c.alpha);
    EXPECT_EQ(table[0].Outline, c.outline);
    EXPECT_EQ(table[0].ColourSet, c.colour0);
    EXPECT_EQ(table[1].ColourSet, c.colour1);
  }
}

// Every value of the table is changed, written, and read back into fresh
// variables; "VersionNo" is written as 120.
TEST_F(SettingsStore, WriteThenReadRoundTripsTheWholeTable) {
  int n = 0;
  for (const SettingRef& ref : OptionTable(s, table)) {
    ++n;
    if (auto* b = std::get_if<bool*>(&ref.target)) **b = !**b;
    if (auto* i = std::get_if<int*>(&ref.target)) **i = 1000 + n;
    if (auto* t = std::get_if<std::string*>(&ref.target)) **t = SJ("値") + std::to_string(n);
  }
  Settings written = s;
  BarTable writtenBars = table;
  Save();
  {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey(kOptionsKey, false));
    EXPECT_EQ(reg.ReadInteger("VersionNo"), 120);
  }
  s = Settings("/elsewhere");
  table = DefaultBarTable();
  Load();
  std::vector<SettingRef> expected = OptionTable(written, writtenBars);
  std::vector<SettingRef> actual = OptionTable(s, table);
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    std::visit([&](auto* want) { EXPECT_EQ(*want, *std::get<decltype(want)>(actual[i].target)); },
               expected[i].target);
  }
  // The table names each value once.
  std::set<std::string> names;
  for (const SettingRef& ref : actual) EXPECT_TRUE(names.insert(ref.name).second) << ref.name;
}

TEST_F(SettingsStore, NamesAreFoundWhateverTheirCase) {
  {
    Registry reg;
    reg.OpenKey(kOptionsKey, true);
    reg.WriteBool("SETUPQ", true);
    reg.WriteInteger("proxyport", 3128);
  }
  Load();
  EXPECT_TRUE(s.SetupQ);
  EXPECT_EQ(s.ProxyPort, 3128);
}

TEST_F(SettingsStore, OldSoundNamesGiveWayToNewOnes) {
  auto store = [](std::initializer_list<std::pair<const char*, const char*>> values) {
    RegistryStore::For(RootKey::CurrentUser).Clear();
    Registry reg;
    reg.OpenKey(kOptionsKey, true);
    for (auto [name, value] : values) reg.WriteString(name, value);
  };
  store({{"SoundFileName", "old.wav"}});
  Load();
  EXPECT_EQ(s.SoundFileName[1], "old.wav");

  s = Settings("/opt/lumetra");
  store({{"SoundFileName", "old.wav"}, {"SoundFileName__", "new.wav"}});
  Load();
  EXPECT_EQ(s.SoundFileName[1], "new.wav");

  s = Settings("/opt/lumetra");
  store({{"SoundFileName2", "old2.wav"}});
  Load();
  EXPECT_EQ(s.SoundFileName[2], "/opt/lumetra/NewMail1.wav");
  Save();
  Registry reg;
  reg.OpenKey(kOptionsKey, false);
  EXPECT_EQ(reg.ReadString("SoundFileName2__"), "/opt/lumetra/NewMail1.wav");
}

TEST_F(SettingsStore, AValueOfTheWrongTypeKeepsItsDefaultAndTheRestLoads) {
  {
    Registry reg;
    reg.OpenKey(kOptionsKey, true);
    reg.WriteString("ProxyPort", "eighty");
    reg.WriteInteger("Proxyaddress", 5);
    reg.WriteInteger("MailInterval", 7);
  }
  testing::internal::CaptureStderr();
  Load();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(s.ProxyPort, 8080);
  EXPECT_EQ(s.Proxyaddress, "");
  EXPECT_EQ(s.MailInterval, 7);
  EXPECT_NE(err.find("ProxyPort"), std::string::npos);
}

TEST_F(SettingsStore, AbsentValuesKeepTheCurrentVariableExceptTheResetOnes) {
  s.ProxyPort = 1234;  // e.g. set by the options dialog before a Cancel re-read
  s.BackColor = 0x123456;
  Load();
  EXPECT_EQ(s.ProxyPort, 1234);
  EXPECT_EQ(s.BackColor, 0x808000);
}

TEST_F(SettingsStore, CompanionBrowserRegistration) {
  {
    Registry reg;
    reg.OpenKey(kCompanionOptionsKey, true);
    reg.WriteBool("BrowserFree", false);
    reg.WriteString("DefaultBrowser", "x");
  }
  Load();  // an old registration: its values are removed first
  EXPECT_TRUE(state.BrowserFree);
  {
    Registry reg;
    reg.OpenKey(kCompanionOptionsKey, true);
    EXPECT_FALSE(reg.ValueExists("DefaultBrowser"));
    reg.WriteBool("BrowserFree", false);
    reg.WriteInteger("AutoOpenLastUrl2", 1);
  }
  Load();  // a current one is left alone
  EXPECT_FALSE(state.BrowserFree);
}

TEST_F(SettingsStore, DetectedMailProgramsFillEmptyChoices) {
  mailers.Datula = LUMETRA_BINARY;  // any existing file
  mailers.PostPet = "/nonexistent/PostPet";
  Load();
  EXPECT_EQ(s.Mailer, LUMETRA_BINARY);
  EXPECT_EQ(s.Mailer1Title, "Datula");
  EXPECT_EQ(s.Mailer2, "");
  EXPECT_EQ(s.Mailer2Title, SJ("メーラー２"));
}

TEST_F(SettingsStore, DesktopMailClientsFillBothMailPrograms) {
  mailers.DesktopClients = {{"/nonexistent/mailer", "Gone"}, {LUMETRA_BINARY, "Thunderbird"}, {"/bin/sh", "Shell Mail"}};
  Load();
  EXPECT_EQ(s.Mailer, LUMETRA_BINARY);
  EXPECT_EQ(s.Mailer1Title, "Thunderbird");
  EXPECT_EQ(s.Mailer2, "/bin/sh");
  EXPECT_EQ(s.Mailer2Title, "Shell Mail");

  // A stored choice stays; the desktop's first client then fills the other one.
  s = Settings("/opt/lumetra");
  {
    Registry reg;
    reg.OpenKey(kOptionsKey, true);
    reg.WriteString("Mailer", "/bin/sh");
    reg.WriteString("Mailer1Title", "Mine");
  }
  Load();
  EXPECT_EQ(s.Mailer, "/bin/sh");
  EXPECT_EQ(s.Mailer1Title, "Mine");
  EXPECT_EQ(s.Mailer2, LUMETRA_BINARY);
}

TEST_F(SettingsStore, CompanionWindowPlacement) {
  WindowPlacement p{10, 20, 300, 200, 0};
  WindowSizeReadWrite(1, "MailCheck", "", p);
  WindowPlacement maximised{0, 0, 1920, 1080, 2};
  WindowSizeReadWrite(1, "MailCheck", "", maximised);  // keeps the normal size
  WindowPlacement read;
  WindowSizeReadWrite(0, "MailCheck", "", read);
  EXPECT_EQ(read.Left, 10);
  EXPECT_EQ(read.Width, 300);
  EXPECT_EQ(read.WindowState, 2);
  WindowPlacement position{1, 1, 1, 1, 0};
  WindowSizeReadWrite(2, "MailCheck", "", position);
  EXPECT_EQ(position.Left, 10);
  EXPECT_EQ(position.Width, 1);  // mode 2 restores the position only
  WindowPlacement first{5, 6, 7, 8, 0};
  WindowSizeReadWrite(0, "DialUpMonitor", "P", first);  // first use stores it
  Registry reg;
  ASSERT_TRUE(reg.OpenKey(std::string(kProductKey) + "\\DialUpMonitorP", false));
  EXPECT_EQ(reg.ReadInteger("Height"), 8);
}

}  // namespace
}  // namespace lumetra
