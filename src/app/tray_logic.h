#pragma once
// The tray icon's decisions, free of widgets: which of the eight pictures to
// show (attention blink and idle wink), the tip text, and the tray menu with
// its visibility rules.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"

namespace lumetra {

enum class TrayPicture { Normal, Frame1, Frame2, NewMail, NotConnected, PopUpOff, Checking, KeywordHit };
constexpr int kTrayPictureCount = 8;

// Built-in picture lists (both lists share this layout).
constexpr int kBuiltInImageCount = 9;
constexpr int kEmptyImage = 7;  // taken for mode 1 ("なし")

struct TrayPictureInfo {
  TrayPicture picture;
  int builtInImage;
  const char* caption;  // the options group's caption, UTF-8
  IconChoice Settings::*choice;
};
const std::array<TrayPictureInfo, kTrayPictureCount>& TrayPictureTable();
const TrayPictureInfo& TrayPictureOf(TrayPicture picture);

// The built-in image a picture takes for its mode: the empty image for mode 1,
// its own otherwise (mode 2 falls back to it when the file cannot be loaded).
int BuiltInImageFor(TrayPicture picture, int mode);

// The state the picture is chosen from; each input belongs to another subsystem.
struct TrayInputs {
  bool mailCheckRunning = false;
  bool newsCheckRunning = false;
  bool unreadNewMail = false;
  bool keywordHitWaiting = false;
  bool popUpMode = true;      // the run-time pop-up flag
  bool offline = false;       // LocalAddress is "127.0.0.1"
  bool animationOff = false;  // "IconAnimation"
};

struct TrayUpdate {
  TrayPicture picture;
  bool modify;  // differs from what the tray shows now
};

// NotifyIconSet's state: the picture shown, the one last given to the tray,
// and the idle wink's counter with its random pause and frame.
class TrayAnimator {
 public:
  // `draw` gives 0..4 for the pause and the frame choice; rand() by default.
  explicit TrayAnimator(std::function<int()> draw = {});

  // tick is 1 from the animation timer, 0 otherwise.
  TrayUpdate NotifyIconSet(int tick, const TrayInputs& in);
  TrayPicture Shown() const { return shown_; }
  // The tray was just given `picture` (the icon was added).
  void Given(TrayPicture picture) { given_ = shown_ = picture; }

 private:
  TrayPicture Idle(const TrayInputs& in);
  void Draw();

  std::function<int()> draw_;
  TrayPicture shown_ = TrayPicture::Normal;
  TrayPicture given_ = TrayPicture::Normal;
  int counter_ = 0;
  int pause_ = 0;  // r
  int frame_ = 0;  // s
  bool drawn_ = false;
};

// The longest tip the tray keeps, in bytes of program text.
constexpr size_t kTipLimit = 63;
// Cuts program text to the tip limit without splitting a double-byte character.
std::string CutTipText(std::string_view sjis);

struct TrayTipInputs {
  bool mailCheckRunning = false;
  std::string accountName, accountServer;  // of the account being checked
  bool newsCheckRunning = false;
  std::optional<std::string> singleDefinition;  // name, while one definition alone is checked
  std::string date;                              // short date, "2024/05/01"
};
// The tip while the pointer is on the icon (program text, already cut).
std::string TrayTipText(const TrayTipInputs& in);
// Today in the short date format.
std::string ShortDateToday();

enum class TrayCommand {
  About, Help, ClockSync, SpamList, SpamExceptions, MailList, Mailer2, Mailer1, AccessMonitor, MailCheck,
  AddHeadline, Headline, CompanionBrowser, InternetSearch, Options, Exit, Separator
};

struct TrayMenuEntry {
  TrayCommand command;
  std::string caption;  // program text; empty for separators
  bool visible = true;
  bool enabled = true;
};

struct TrayMenuInputs {
  bool mailCheckGo = false;
  std::string mailer1, mailer1Title, mailer2, mailer2Title;
  bool proxyInUse = false;
  bool helpFilePresent = false;
  // Which subsystems exist (see subsystem_ports.h).
  bool aboutAvailable = false;
  bool clockAvailable = false;
  bool mailAvailable = false;
  bool dialUpAvailable = false;
  bool barsAvailable = false;
  bool optionsAvailable = false;
};

// The tray menu in display order, separators included.
std::vector<TrayMenuEntry> TrayMenu(const TrayMenuInputs& in);

}  // namespace lumetra
