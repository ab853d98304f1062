#include "app/settings.h"

#include <QString>
#include <cstdio>
#include <functional>
#include <map>

#include "platform/file_io.h"
#include "platform/registry.h"
#include "platform/sjis_text.h"

namespace lumetra {

using platform::Registry;
using platform::RegistryError;
using platform::RootKey;

namespace {

const char* const kSoundNames[15] = {
    nullptr,           "SoundFileName__",   "SoundFileName2__",  "SoundFileName3__", "SoundFileName4__",
    "SoundFileName5__", "SoundFileName6__", "SoundFileName7",    "SoundFileName8",   "SoundFileName9__",
    "SoundFileName10__", "SoundFileName11__", "SoundFileName12__", "SoundFileName13_", "SoundFileName14_"};
const char* const kSoundDefaults[15] = {nullptr,           "Ding.wav",         "NewMail1.wav",   "OpenMsg1.wav",
                                        "FusenMsg1.wav",   "NonMail1.wav",     "MyName.wav",     "Newnews1.wav",
                                        "lumetra.wav",     "MailMsg1.wav",     "OpenMail1.wav",  "NewMailMsg1.wav",
                                        "MailNewsMsg1.wav", "UpNews.wav",      "HitNews.wav"};
const char* const kHotKeyNames[8] = {"HotKeyIndex",  "HotKeyIndex2", "HotKeyIndex3", "HotKeyIndex4",
                                     "HotKeyIndex5", "HotKeyIndex6", "HotKeyIndex7", "HotKeyIndex8"};
const char* const kVisibleNames[kBarCount] = {nullptr, "NewsMonitorVisible1", "NewsMonitorVisible2",
                                              "NewsMonitorVisible3", "NewsMonitorVisible4", "NewsMonitorVisible5"};
const char* const kNamiNames[kBarCount] = {"NewsMonitorNami",  "NewsMonitorNami1", "NewsMonitorNami2",
                                           "NewsMonitorNami3", "NewsMonitorNami4", "NewsMonitorNami5"};
const char* const kKazeNames[kBarCount] = {"NewsMonitorKaze",  "NewsMonitorKaze1", "NewsMonitorKaze2",
                                           "NewsMonitorKaze3", "NewsMonitorKaze4", "NewsMonitorKaze5"};
const char* const kColourIndexNames[kBarCount] = {"NewMonitorColorLibNo_2", "NewMonitorColorLibNo1_2",
                                                  "NewMonitorColorLibNo2",  "NewMonitorColorLibNo3",
                                                  "NewMonitorColorLibNo4",  "NewMonitorColorLibNo5"};
const char* const kColourTitleNames[kBarCount] = {"NewMonitorColorLibNoTitle",  "NewMonitorColorLibNoTitle1",
                                                  "NewMonitorColorLibNoTitle2", "NewMonitorColorLibNoTitle3",
                                                  "NewMonitorColorLibNoTitle4", "NewMonitorColorLibNoTitle5"};
const char* const kDefinitionNames[kBarCount] = {"NewMonitorUrlLibNo",  "NewMonitorUrlLibNo1", "NewMonitorUrlLibNo2",
                                                 "NewMonitorUrlLibNo3", "NewMonitorUrlLibNo4", "NewMonitorUrlLibNo5"};
const char* const kDefinitionTitleNames[kBarCount] = {"NewMonitorUrlLibNoTitle",  "NewMonitorUrlLibNoTitle1",
                                                      "NewMonitorUrlLibNoTitle2", "NewMonitorUrlLibNoTitle3",
                                                      "NewMonitorUrlLibNoTitle4", "NewMonitorUrlLibNoTitle5"};

// Reads one value into its variable; a value of another type than expected
// is reported and leaves the variable as it was, so one damaged value does
// not stop the rest of the settings from loading.
bool ReadInto(const Registry& reg, const char* name, const std::variant<bool*, int*, std::string*>& target) {
  if (!reg.ValueExists(name)) return false;
  try {
    if (auto* b = std::get_if<bool*>(&target)) **b = reg.ReadBool(name);
    if (auto* i = std::get_if<int*>(&target)) **i = reg.ReadInteger(name);
    if (auto* s = std::get_if<std::string*>(&target)) **s = reg.ReadString(name);
    return true;
  } catch (const RegistryError& e) {
    std::fprintf(stderr, "lumetra: setting %s ignored: %s\n", name, e.what());
    return false;
  }
}

void WriteFrom(Registry& reg, const char* name, const std::variant<bool*, int*, std::string*>& target) {
  if (auto* b = std::get_if<bool*>(&target)) reg.WriteBool(name, **b);
  if (auto* i = std::get_if<int*>(&target)) reg.WriteInteger(name, **i);
  if (auto* s = std::get_if<std::string*>(&target)) reg.WriteString(name, **s);
}

struct ColourDefaults {
  const char* bar0Title;
  const char* bar1Title;
  int bar0Index;
  int bar1Index;
};

ColourDefaults SystemColourDefaults(const AppState& st) {
  if (st.IsVistaOrLater && st.GlassEnabled) return {"Windows7風", "天気予報用 W7風", 30, 31};
  if (st.IsVistaOrLater) return {"WindowsVista風", "天気予報用 Vista風", 25, 26};
  if (st.IsXPOrLater) return {"WindowsXP風", "天気予報用", 16, 19};
  return {"Macな感じ", "天気予報 Mac風", 27, 28};
}

}  // namespace

Settings::Settings(const std::string& programFolder) {
  Mailer1Title = SJ("メーラー１");
  Mailer2Title = SJ("メーラー２");
  std::string folder = platform::Utf8ToSjis(programFolder);
  VoiceSoftalkLocation = folder + "/Softalk/softalk.exe";
  for (int i = 1; i < 15; ++i) SoundFileName[i] = folder + "/" + kSoundDefaults[i];
}

Settings& settings() {
  static Settings s;
  return s;
}

MailPrograms& detectedMailPrograms() {
  static MailPrograms programs;
  return programs;
}

std::vector<SettingRef> OptionTable(Settings& s, BarTable& bt) {
  std::vector<SettingRef> t;
  auto add = [&t](const char* name, auto* target) { t.push_back({name, target}); };
  // General and start-up (the first group read)
  add("PopUpGo", &s.PopUpGo);
  add("SetupQ", &s.SetupQ);
  add("BeepGo", &s.BeepGo);
  add("BackColor", &s.BackColor);
  for (int i = 0; i < 8; ++i) add(kHotKeyNames[i], &s.HotKeyIndex[i]);
  add("BunnerCloseHeight", &s.BunnerCloseHeight);
  add("ItaUpdateInterval", &s.ItaUpdateInterval);
  add("Defualtrasno", &s.Defualtrasno);
  add("PopUpForcusChange", &s.PopUpForcusChange);
  add("VoiceCharactor", &s.VoiceCharactor);
  add("VoiceWindow", &s.VoiceWindow);
  add("VoiceSoftalk", &s.VoiceSoftalk);
  add("VoiceBouyomi", &s.VoiceBouyomi);
  // Read-aloud
  add("VoiceCharactorName", &s.VoiceCharactorName);
  add("VoiceSoftalkLocation", &s.VoiceSoftalkLocation);
  add("VoiceBouyomiLocation", &s.VoiceBouyomiLocation);
  add("VoiceCharactorType", &s.VoiceCharactorType);
  add("VoiceCharactorSpeed", &s.VoiceCharactorSpeed);
  add("VoiceCharactorSpeed2", &s.VoiceCharactorSpeed2);
  add("VoiceCharactorVolume2", &s.VoiceCharactorVolume2);
  add("VoiceCharactorSpeed3", &s.VoiceCharactorSpeed3);
  add("VoiceCharactorVolume3", &s.VoiceCharactorVolume3);
  // Bars
  add("NewsMonitorAutoMove", &s.NewsMonitorAutoMove);
  for (int i = 1; i < kBarCount; ++i) add(kVisibleNames[i], &s.NewsMonitorVisible[i]);
  for (int i = 0; i < kBarCount; ++i) add(kKazeNames[i], &s.NewsMonitorKaze[i]);
  for (int i = 0; i < kBarCount; ++i) add(kNamiNames[i], &s.NewsMonitorNami[i]);
  for (int i = 0; i < kBarCount; ++i) add(kColourIndexNames[i], &bt[i].ColourSet);
  for (int i = 0; i < kBarCount; ++i) add(kDefinitionNames[i], &bt[i].Definition);
  for (int i = 0; i < kBarCount; ++i) add(kDefinitionTitleNames[i], &bt[i].DefinitionName);
  for (int i = 0; i < kBarCount; ++i) add(kColourTitleNames[i], &bt[i].ColourSetName);
  add("NewsThreadLevel", &s.NewsThreadLevel);
  BarSlot& b0 = bt[0];
  add("HeadLineNewsInterval", &b0.PatrolInterval);
  add("HeadLineNewsLineMode_", &b0.LineMode);
  add("NewsShowIntervalN2", &b0.Speed);
  add("NewsMonitorFontNames", &b0.FontName);
  add("NewsMonitorFontNames2", &b0.VerticalFontName);
  add("NewsMonitorTaskBarMode", &b0.Placement);
  add("NewsMonitorAutoHide", &b0.AutoHide);
  add("NewsMonitorHide", &b0.Hidden);
  add("NewsMonitorZoder_2", &b0.ZOrder);
  add("NewsMonitorHorzDockSize", &b0.HorzDockSize);
  add("NewsMonitorVertDockSize", &b0.VertDockSize);
  add("NewsMonitorSmooth_", &b0.CoarseScroll);
  add("NewsMonitorOutline", &b0.Outline);
  add("NewsAlpha_", &b0.Alpha);
  add("AutoMoveLimit", &s.AutoMoveLimit);
  add("NewsMonitorStop", &s.NewsMonitorStop);
  add("NewsSingleClick", &s.NewsSingleClick);
  add("Itaget", &s.Itaget);
  // Mail
  add("MailCheckGo", &s.MailCheckGo);
  add("MailInterval", &s.MailInterval);
  add("MailPort", &s.MailPort);
  add("MailSSLPort", &s.MailSSLPort);
  add("MailCheckCloseTimerGo", &s.MailCheckCloseTimerGo);
  add("MailCheckCloseTime", &s.MailCheckCloseTime);
  add("MailCheckIco_", &s.MailCheckIco_);
  add("MailHeadRead", &s.MailHeadRead);
  add("MailLog", &s.MailLog);
  add("Mail1LineDisp", &s.Mail1LineDisp);
  add("MailWakuDisp", &s.MailWakuDisp);
  add("MailDataDisp", &s.MailDataDisp);
  add("MailFromLen", &s.MailFromLen);
  add("MailSubjectLen", &s.MailSubjectLen);
  add("MailDataLen", &s.MailDataLen);
  add("MailAlpha", &s.MailAlpha);
  add("Mailer", &s.Mailer);
  add("Mailer2", &s.Mailer2);
  add("Mailer1Title", &s.Mailer1Title);
  add("Mailer2Title", &s.Mailer2Title);
  add("UrlCloseTimerGo", &s.UrlCloseTimerGo);
  add("UrlCloseTime", &s.UrlCloseTime);
  add("UrlIco", &s.UrlIco);
  // Proxy and page check
  add("ProxyCheckGo", &s.ProxyCheckGo);
  add("Proxyaddress", &s.Proxyaddress);
  add("ProxyPort", &s.ProxyPort);
  add("ProxyPassCheck", &s.ProxyPassCheck);
  add("ProxyUserName", &s.ProxyUserName);
  add("ProxyPassWord", &s.ProxyPassWord);
  add("ProxyNoCache", &s.ProxyNoCache);
  add("HttpCheckGo", &s.HttpCheckGo);
  add("HttpInterval", &s.HttpInterval);
  // Clock, animation, splash, sounds
  add("NtpServerCheck", &s.NtpServerCheck);
  add("NtpServerName", &s.NtpServerName);
  add("IconAnimation", &s.IconAnimation);
  add("OpeningDsp_", &s.OpeningDsp_);
  for (int i = 1; i < 15; ++i) add(kSoundNames[i], &s.SoundFileName[i]);
  // Tray pictures
  std::pair<const char*, IconChoice*> icons[] = {{"Normal", &s.NormalIcon},       {"Message", &s.MessageIcon},
                                                 {"Mail", &s.MailIcon},           {"MailCheck", &s.MailCheckIcon},
                                                 {"NoConnect", &s.NoConnectIcon}, {"NoPopUp", &s.NoPopUpIcon},
                                                 {"UserFound", &s.UserFoundIcon}};
  static const char* const kIconModeNames[] = {"NormalIconMode",    "MessageIconMode",   "MailIconMode",
                                               "MailCheckIconMode", "NoConnectIconMode", "NoPopUpIconMode",
                                               "UserFoundIconMode"};
  static const char* const kIconFileNames[] = {"NormalIconFile",    "MessageIconFile",   "MailIconFile",
                                               "MailCheckIconFile", "NoConnectIconFile", "NoPopUpIconFile",
                                               "UserFoundIconFile"};
  for (int i = 0; i < 7; ++i) {
    add(kIconModeNames[i], &icons[i].second->Mode);
    add(kIconFileNames[i], &icons[i].second->File);
  }
  // Log, board, screen saver, browsers, popup, dial-up window
  add("SystemLog", &s.SystemLog);
  add("ScrCheckGo2", &s.ScrCheckGo2);
  add("BrowsChange_", &s.BrowsChange_);
  add("BrowsChange2", &s.BrowsChange2);
  add("BrowsAppoint", &s.BrowsAppoint);
  add("BrowsName", &s.BrowsName);
  add("BrowsAppoint2CH", &s.BrowsAppoint2CH);
  add("BrowsName2CH", &s.BrowsName2CH);
  add("PopupURL", &s.PopupURL);
  add("PopupFontName3", &s.PopupFontName3);
  add("PopupFontSize", &s.PopupFontSize);
  add("PopupPosition", &s.PopupPosition);
  add("PopupLen3", &s.PopupLen3);
  add("PopupLine2", &s.PopupLine2);
  add("PopupWait", &s.PopupWait);
  add("PopupBkColor", &s.PopupBkColor);
  add("PopupTextColor", &s.PopupTextColor);
  add("PopupTitleColor", &s.PopupTitleColor);
  add("DialUpMonitorZoder_", &s.DialUpMonitorZoder_);
  add("DialUpMonitorVisible_2", &s.DialUpMonitorVisible_2);
  add("DialAlpha", &s.DialAlpha);
  add("BunnerCloseGo_", &s.BunnerCloseGo_);
  // Dial-up group (read last, after the key is reopened)
  add("DialUpConnect", &s.DialUpConnect);
  add("AutoDialOpen", &s.AutoDialOpen);
  add("AutoDialClose", &s.AutoDialClose);
  add("AutoDailCloseTime", &s.AutoDailCloseTime);
  add("DialRetry", &s.DialRetry);
  add("DialRetryTime", &s.DialRetryTime);
  add("DialRetryTimes", &s.DialRetryTimes);
  return t;
}

void CleanUpOldCompanionRegistration() {
  Registry reg;
  if (reg.OpenKey(kCompanionOptionsKey, false)) {
    if (reg.ValueExists("AutoOpenLastUrl2")) return;  // a current companion browser
    reg.DeleteValue("DefaultBrowser");
    reg.DeleteValue("BrowserFree");
    reg.CloseKey();
  }
  // File types and protocols whose default verb an old version took over.
  Registry classes(RootKey::ClassesRoot);
  std::vector<std::string> types;
  for (const char* ext : {".URL", ".html", ".htm", ".mht", ".mhtl"}) {
    if (classes.OpenKey(std::string("\\") + ext, false) && classes.GetDataType("") == platform::RegType::String)
      types.push_back(classes.ReadString(""));
  }
  for (const char* protocol : {"file", "http", "https", "ftp"}) types.push_back(protocol);
  for (const std::string& type : types) {
    if (type.empty() || !classes.OpenKey("\\" + type + "\\shell", false)) continue;
    if (classes.GetDataType("") == platform::RegType::String && classes.ReadString("") == "Veska")
      classes.DeleteValue("");
  }
}

bool ReadDialUpConnectEarly(bool fallback) {
  Registry reg;
  bool value = fallback;
  if (reg.OpenKey(kOptionsKey, false)) {
    std::variant<bool*, int*, std::string*> target = &value;
    ReadInto(reg, "DialUpConnect", target);
  }
  return value;
}

void OptionsReadWrite(int mode, Settings& s, BarTable& bt, AppState& st, const MailPrograms& mailers) {
  if (mode != 0) {
    Registry reg;
    reg.OpenKey(kOptionsKey, true);
    for (const SettingRef& ref : OptionTable(s, bt)) WriteFrom(reg, ref.name, ref.target);
    reg.WriteInteger("VersionNo", kSettingsVersion);
    reg.WriteString("UrlIconFile", s.UrlIcon.File);
    return;
  }

  CleanUpOldCompanionRegistration();
  {
    Registry veska;
    st.BrowserFree = true;
    if (veska.OpenKey(kCompanionOptionsKey, false)) {
      std::variant<bool*, int*, std::string*> target = &st.BrowserFree;
      ReadInto(veska, "BrowserFree", target);
    }
  }

  // Values that are reset, not kept, when they are absent.
  const ColourDefaults colours = SystemColourDefaults(st);
  bt[0].ColourSetName = SJ(colours.bar0Title);
  bt[1].ColourSetName = SJ(colours.bar1Title);
  const bool glass = st.IsVistaOrLater && st.GlassEnabled;
  std::map<std::string, std::function<void()>> whenAbsent = {
      {"BackColor", [&] { s.BackColor = 0x808000; }},
      {"Defualtrasno", [&] { s.Defualtrasno = 1; }},
      {"VoiceCharactorName", [&] { s.VoiceCharactorName.clear(); }},
      {"VoiceSoftalkLocation", [&] { s.VoiceSoftalkLocation = Settings(st.ProgramFolder).VoiceSoftalkLocation; }},
      {kColourIndexNames[0], [&] { bt[0].ColourSet = colours.bar0Index; }},
      {kColourIndexNames[1], [&] { bt[1].ColourSet = colours.bar1Index; }},
      {"NewsShowIntervalN2", [&] { bt[0].Speed = glass ? 964 : 1100; }},
      {"NewsAlpha_", [&] { bt[0].Alpha = glass ? 10 : 255; }},
      {"NewsMonitorOutline", [&] { bt[0].Outline = st.ColourCount <= 256; }},
      {"PopupLine2", [&] { s.PopupLine2 = std::max(10, st.ScreenHeight / 32); }},
  };

  Registry reg;
  bool exists = reg.OpenKey(kOptionsKey, false);
  for (const SettingRef& ref : OptionTable(s, bt)) {
    std::string name = ref.name;
    if (name == "SetupQ") name = "SetUpQ";  // the reader's spelling; names ignore case
    if (name == kSoundNames[1] && exists) {
      // The older name is taken while the newer one is absent.
      std::variant<bool*, int*, std::string*> old = ref.target;
      ReadInto(reg, "SoundFileName", old);
    }
    if (!(exists && ReadInto(reg, name.c_str(), ref.target))) {
      auto it = whenAbsent.find(ref.name);
      if (it != whenAbsent.end()) it->second();
    }
  }
  st.PopUpMode = s.PopUpGo;

  // Mail programs found on the system fill empty choices.
  if (s.Mailer.empty()) {
    const std::pair<const std::string*, const char*> candidates[] = {{&mailers.Becky, "Becky!"},
                                                                     {&mailers.Datula, "Datula"},
                                                                     {&mailers.AlMail, "Al-Mail"},
                                                                     {&mailers.OutlookExpress, "Outlook"},
                                                                     {&mailers.NetscapeMessenger, "Netscape Messenger"}};
    for (const auto& [path, title] : candidates)
      if (!path->empty() && platform::FileExists(*path)) {
        s.Mailer = platform::Utf8ToSjis(*path);
        s.Mailer1Title = title;
        break;
      }
  }
  if (s.Mailer2.empty() && !mailers.PostPet.empty() && platform::FileExists(mailers.PostPet)) {
    s.Mailer2 = platform::Utf8ToSjis(mailers.PostPet);
    s.Mailer2Title = "Post Pet";
  }
  // The desktop's clients: its mailto handler becomes mail program 1, the
  // next client found mail program 2.
  for (const platform::MailClient& client : mailers.DesktopClients) {
    if (!platform::FileExists(client.path)) continue;
    std::string path = platform::Utf8ToSjis(client.path);
    if (s.Mailer.empty()) {
      s.Mailer = path;
      s.Mailer1Title = platform::Utf8ToSjis(client.title);
    } else if (s.Mailer2.empty() && path != s.Mailer) {
      s.Mailer2 = path;
      s.Mailer2Title = platform::Utf8ToSjis(client.title);
    }
  }
}

void OptionsReadWrite(int mode) { OptionsReadWrite(mode, settings(), bars(), app(), detectedMailPrograms()); }

void WindowSizeReadWrite(int mode, const std::string& componentName, const std::string& suffix,
                         WindowPlacement& p) {
  std::string key = std::string(kProductKey) + "\\" + componentName + suffix;
  if (key.size() > 255) key.resize(255);
  Registry reg;
  if ((mode == 0 || mode == 2) && reg.OpenKey(key, false)) {
    auto read = [&reg](const char* name) {
      int value = 0;
      std::variant<bool*, int*, std::string*> target = &value;
      ReadInto(reg, name, target);
      return value;
    };
    p.Left = read("Left");
    p.Top = read("Top");
    if (mode == 0) {
      p.Width = read("Width");
      p.Height = read("Height");
    }
    p.WindowState = read("WindowState");
    return;
  }
  reg.OpenKey(key, true);
  if (mode == 0 || (p.WindowState != 1 && p.WindowState != 2)) {
    reg.WriteInteger("Left", p.Left);
    reg.WriteInteger("Top", p.Top);
    reg.WriteInteger("Width", p.Width);
    reg.WriteInteger("Height", p.Height);
  }
  reg.WriteInteger("WindowState", p.WindowState);
}

}  // namespace lumetra
