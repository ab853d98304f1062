#pragma once
// The taskbar-button rule (UM_APPBUTTON) and DisableBars: while one of the
// program's dialogs is in front the bars take no input, and when the last one
// closes the window that was active before gets the focus back.
#include <cstdint>

namespace lumetra {

using ForeignWindow = uint64_t;  // another program's window; 0 none

struct AppButtonWorld {
  bool somethingVisible = false;  // the main window, the mail window or the found-URL list
  ForeignWindow foreground = 0;   // the desktop's active window now
  bool mailWindowExists = false;
  bool mailBusy = false;          // a mail check runs, or the mail or list windows pop up
  bool dialUpExists = false;
  int dialUpStacking = 0;
};

struct AppButtonEffects {
  bool enableWindows = false;       // enable every bar and dial-up monitor again
  int taskbarButton = 0;            // 1 show (without activation), -1 hide, 0 leave
  ForeignWindow giveForeground = 0;
  bool raiseDialUp = false;         // to the top and back, so it stays above the mail windows
};

class AppButton {
 public:
  // kind: -1 remember only; 1, 2, 3 a dialog appears; anything else a dialog went.
  // restoreFlag -1 gives the remembered window the focus back.
  AppButtonEffects Handle(int kind, int restoreFlag, const AppButtonWorld& world);
  void RememberRestoreWindow(ForeignWindow w) { restore_ = w; }
  ForeignWindow RestoreWindow() const { return restore_; }
  bool ButtonShown() const { return shown_; }

 private:
  ForeignWindow restore_ = 0;
  bool shown_ = false;
};

// Whether a closing window of the given kind disables the bars: not while the
// main window (kind 0 excepted), the mail window (kind 3 excepted) or the
// found-URL list (kind 19 excepted) is still visible.
bool DisableBarsApplies(int kind, bool mainVisible, bool mailVisible, bool foundListVisible);

}  // namespace lumetra
