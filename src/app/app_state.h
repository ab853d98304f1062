#pragma once
// Process-wide state of the running program: folders, system flags, the
// machine's address and the shutdown flags. Lives for the whole run and is
// touched only on the user-interface thread.
#include <climits>
#include <string>

namespace lumetra {

struct AppState {
  std::string ProgramFolder;  // UTF-8 path, no trailing slash
  std::string DataFolder;     // UTF-8 path, no trailing slash
  bool IsAdministrator = false;
  // This system counts as a current one; composition ("glass") does not exist.
  bool IsNT = false;
  bool IsWin2000OrLater = false;
  bool IsXPOrLater = false;
  bool IsVistaOrLater = false;
  bool IsWin7OrLater = false;
  bool GlassEnabled = false;
  int ColourCount = INT_MAX;
  int ScreenHeight = 768;     // primary screen, for computed defaults
  std::string LocalAddress;   // dotted IPv4; "127.0.0.1" means off line
  bool QuitAllowed = false;
  bool Closing = false;
  bool PopUpMode = true;      // run-time pop-up flag, starts from "PopUpGo"
  bool BrowserFree = true;    // the companion browser is not the preferred one
  bool CompanionStarted = false;  // the program started the companion browser
  bool BrowserOpened = false;     // the companion browser showed a headline; the bars read it
  std::string HelpFile = "Lumetra.chm";
};

AppState& app();

// The off-line address.
inline constexpr const char* kOfflineAddress = "127.0.0.1";

}  // namespace lumetra
