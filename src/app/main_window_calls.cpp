#include "app/main_window_calls.h"

#include "app/app_state.h"
#include "app/messages.h"

namespace lumetra {
namespace {
MainWindowCalls& Calls() {
  static MainWindowCalls calls;
  return calls;
}
}  // namespace

void InstallMainWindowCalls(MainWindowCalls calls) { Calls() = std::move(calls); }

platform::WindowHandle MainWindowHandle() { return Calls().mainWindow; }

void Timer2Check() {
  if (Calls().timer2Check) Calls().timer2Check();
}

void DisableBars(int kind) {
  if (Calls().disableBars) Calls().disableBars(kind);
}

void PostAppButton(int kind, int restoreFlag) {
  if (app().QuitAllowed || Calls().mainWindow == 0) return;
  platform::PostMessage(Calls().mainWindow, UM_APPBUTTON, static_cast<platform::WParam>(static_cast<intptr_t>(kind)),
                        restoreFlag);
}

void OptionsDialogClosed() {
  if (Calls().optionsDialogClosed) Calls().optionsDialogClosed();
}

}  // namespace lumetra
