#include "app/app_button.h"

namespace lumetra {

AppButtonEffects AppButton::Handle(int kind, int restoreFlag, const AppButtonWorld& w) {
  AppButtonEffects fx;
  if (kind == -1) {
    if (!w.somethingVisible && restore_ == 0) restore_ = w.foreground;
    return fx;
  }
  fx.enableWindows = true;
  if (kind == 1 || kind == 2 || kind == 3) {
    if (restore_ == 0 || !w.somethingVisible) restore_ = w.foreground;
    if (kind == 3 && !w.somethingVisible) {
      fx.taskbarButton = -1;
      shown_ = false;
    } else {
      fx.taskbarButton = 1;
      shown_ = true;
    }
  } else if (!w.somethingVisible) {
    fx.taskbarButton = -1;
    shown_ = false;
    if (restoreFlag == -1 && restore_ != 0) {
      fx.giveForeground = restore_;
      restore_ = 0;
    }
  }
  fx.raiseDialUp = w.mailWindowExists && w.mailBusy && w.dialUpExists && w.dialUpStacking == 0;
  return fx;
}

bool DisableBarsApplies(int kind, bool mainVisible, bool mailVisible, bool foundListVisible) {
  if (mainVisible && kind != 0) return false;
  if (mailVisible && kind != 3) return false;
  if (foundListVisible && kind != 19) return false;
  return true;
}

}  // namespace lumetra
