#pragma once
// The desktop's active window, including other programs' windows: remembered
// before one of our dialogs comes up and given the focus back afterwards.
#include <cstdint>

namespace lumetra::platform {

using NativeWindowId = uint64_t;  // 0: none

// The window the desktop reports as active (X11 _NET_ACTIVE_WINDOW); 0 when
// there is none or the desktop does not say.
NativeWindowId ForegroundWindow();
// Asks the window manager to activate the window; ignored when it is gone.
void GiveForeground(NativeWindowId window);

}  // namespace lumetra::platform
