#pragma once
// The general options. Each member carries its built-in default; the stored
// value (under "\SOFTWARE\TARVO\Lumetra\Options") only overrides it, and the
// whole set is read and written in one piece by OptionsReadWrite. Member
// names are the stored value names. Texts are Shift_JIS.
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "app/app_state.h"
#include "app/bar_table.h"
#include "platform/mail_clients.h"

namespace lumetra {

inline constexpr const char* kProductKey = "\\SOFTWARE\\TARVO\\Lumetra";
inline constexpr const char* kOptionsKey = "\\SOFTWARE\\TARVO\\Lumetra\\Options";
inline constexpr const char* kCompanionOptionsKey = "\\SOFTWARE\\TARVO\\Veska\\Options";
inline constexpr int kSettingsVersion = 120;

struct IconChoice {
  int Mode = 0;  // 0 built-in ("標準"), 1 none ("なし"), 2 from File ("指定")
  std::string File;
};

struct Settings {
  // General and start-up
  bool SetupQ = false;
  bool PopUpGo = true;
  bool PopUpForcusChange = true;
  bool OpeningDsp_ = true;
  bool BeepGo = true;
  bool IconAnimation = false;  // true switches the tray animation off
  std::array<int, 8> HotKeyIndex = {0, 1, 2, 32, 5, 6, 28, 19};
  bool ScrCheckGo2 = false;
  bool BunnerCloseGo_ = false;
  int BunnerCloseHeight = 300;
  bool SystemLog = false;
  bool NtpServerCheck = false;
  std::string NtpServerName = "ntp.nict.jp";

  // Tray pictures
  IconChoice NormalIcon, MessageIcon, MailIcon, MailCheckIcon, NoConnectIcon, NoPopUpIcon, UserFoundIcon;
  IconChoice UrlIcon;  // keyword hit: chosen for the run only; its file is written, never read

  // Bars (index 0..5; visibility of bar 0 is always true)
  std::array<bool, kBarCount> NewsMonitorVisible = {true, true, false, false, false, false};
  std::array<bool, kBarCount> NewsMonitorNami = {};
  std::array<bool, kBarCount> NewsMonitorKaze = {};
  bool NewsMonitorAutoMove = false;
  int AutoMoveLimit = 5;
  bool NewsMonitorStop = false;
  bool NewsSingleClick = false;
  int NewsThreadLevel = 0;
  bool Itaget = true;
  int ItaUpdateInterval = 5;
  // Headlines kept in each definition's history list (10-500). The options
  // dialog edits it; no stored value name is known for it, so it lives for the run.
  int HistoryLength = 100;

  // Article preview popup
  bool PopupURL = true;
  std::string PopupFontName3 = "MS UI Gothic";
  int PopupFontSize = 9;
  int PopupPosition = 0;
  int PopupLen3 = 480;
  int PopupLine2 = 10;  // computed from the screen height before loading
  int PopupWait = 1200;
  int PopupBkColor = static_cast<int>(0x80000018u);
  int PopupTextColor = static_cast<int>(0x80000008u);
  int PopupTitleColor = 0x008000;

  // Mail check
  bool MailCheckGo = false;
  int MailInterval = 15;
  int MailPort = 110;
  int MailSSLPort = 995;
  bool MailCheckCloseTimerGo = false;
  int MailCheckCloseTime = 10;
  bool MailCheckIco_ = true;
  bool MailHeadRead = true;
  bool MailLog = false;
  bool Mail1LineDisp = true;
  bool MailWakuDisp = true;
  bool MailDataDisp = true;
  int MailFromLen = 0;
  int MailSubjectLen = 0;
  int MailDataLen = 0;
  int MailAlpha = 255;
  int BackColor = 0x808000;
  std::string Mailer, Mailer2;
  std::string Mailer1Title, Mailer2Title;  // "メーラー１", "メーラー２"

  // Found-address windows
  bool UrlCloseTimerGo = false;
  int UrlCloseTime = 10;
  bool UrlIco = true;

  // Network
  bool ProxyCheckGo = false;
  std::string Proxyaddress;
  int ProxyPort = 8080;
  bool ProxyPassCheck = false;
  std::string ProxyUserName, ProxyPassWord;
  bool ProxyNoCache = false;
  bool HttpCheckGo = false;
  int HttpInterval = 30;

  // Dial-up
  bool DialUpConnect = false;
  bool AutoDialOpen = true;
  bool AutoDialClose = false;
  int AutoDailCloseTime = 15;
  bool DialRetry = true;
  int DialRetryTime = 8;
  int DialRetryTimes = 16;
  int Defualtrasno = 1;
  int DialUpMonitorZoder_ = 4;
  bool DialUpMonitorVisible_2 = false;
  int DialAlpha = 255;

  // Browsers
  bool BrowsChange_ = true;
  bool BrowsChange2 = true;
  bool BrowsAppoint = false;
  std::string BrowsName;
  bool BrowsAppoint2CH = false;
  std::string BrowsName2CH;

  // Read-aloud
  bool VoiceCharactor = false;
  bool VoiceWindow = true;
  bool VoiceSoftalk = false;
  bool VoiceBouyomi = true;
  std::string VoiceCharactorName;
  std::string VoiceSoftalkLocation;  // program folder + "/Softalk/softalk.exe"
  std::string VoiceBouyomiLocation = "C:\\Program Files\\BouyomiChan\\BouyomiChan.exe";
  int VoiceCharactorType = 0;
  int VoiceCharactorSpeed = 150;
  int VoiceCharactorSpeed2 = 110;
  int VoiceCharactorVolume2 = 60;
  int VoiceCharactorSpeed3 = 92;
  int VoiceCharactorVolume3 = 100;

  // Sound files, index 1..14 as "SoundFileName1".."SoundFileName14" (slot 0 unused)
  std::array<std::string, 15> SoundFileName;

  // Built-in defaults that depend on the program folder.
  explicit Settings(const std::string& programFolder = {});
};

Settings& settings();

// Mail-program paths found on this system; empty where none was found. The
// named slots are the Windows programs; on this desktop the clients come in
// DesktopClients (the mailto handler first, then known clients on PATH).
struct MailPrograms {
  std::string Becky, Datula, AlMail, OutlookExpress, NetscapeMessenger, PostPet;
  std::vector<platform::MailClient> DesktopClients;
};

// One stored value: its name and the variable it moves.
struct SettingRef {
  const char* name;
  std::variant<bool*, int*, std::string*> target;
};

// Every value of the options key in reading order, bound to `s` and the bar
// table (bar 0's display values and every bar's colour set and definition).
// Read and write both walk this one list.
std::vector<SettingRef> OptionTable(Settings& s, BarTable& barTable);

// Mode 0 reads (the load rules and computed defaults included), mode 1 writes.
void OptionsReadWrite(int mode, Settings& s, BarTable& barTable, AppState& state, const MailPrograms& mailers);
void OptionsReadWrite(int mode);

// Filled by the start-up's mail-program detection; read by the settings load.
MailPrograms& detectedMailPrograms();

// Reads only "DialUpConnect" (start-up needs it before the full load).
bool ReadDialUpConnectEarly(bool fallback);

// The companion-browser registration left by an old version is removed.
void CleanUpOldCompanionRegistration();

// Placement of a companion window under the product key.
struct WindowPlacement {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
};
// Mode 0 restores all, 2 only the position, 1 saves. Restoring from a missing
// key saves instead (first use of a window).
void WindowSizeReadWrite(int mode, const std::string& componentName, const std::string& suffix,
                         WindowPlacement& placement);

}  // namespace lumetra
