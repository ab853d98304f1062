#pragma once
// Window helpers shared by every form.
class QWidget;

namespace lumetra::platform {

// Bring one of the program's windows to the front, across programs as far as
// the window manager allows.
void ForceForeground(QWidget* window);

}  // namespace lumetra::platform
