#pragma once
// Calls that other windows make on the main window. Their libraries lie below
// the main window's, so they reach it through these entry points, which the
// main window fills in when it is created; before that (and in tests that
// build no main window) each call does nothing.
#include <functional>

#include "platform/message_port.h"

namespace lumetra {

struct MainWindowCalls {
  platform::WindowHandle mainWindow = 0;
  std::function<void()> timer2Check;
  std::function<void(int kind)> disableBars;
  std::function<void()> optionsDialogClosed;
};

void InstallMainWindowCalls(MainWindowCalls calls);
platform::WindowHandle MainWindowHandle();

// The mail check, the page check and the found-URL list changed state: the
// tray icon returns to idle when no reason for attention is left.
void Timer2Check();
// A closing window, just before it hides itself: the bars take no input until
// the UM_APPBUTTON that follows.
void DisableBars(int kind);
// Posts UM_APPBUTTON (kind, restore flag) to the main window, unless the
// program is shutting down.
void PostAppButton(int kind, int restoreFlag);
// The options dialog closed: hot keys registered anew, tray pictures reloaded.
void OptionsDialogClosed();

}  // namespace lumetra
