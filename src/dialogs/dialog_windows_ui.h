#pragma once
// The dialogs as the main window reaches them (its DialogsPort slot).
#include <memory>

#include "app/subsystem_ports.h"

namespace lumetra {

// The definition editor answers message 1425; the dialogs not built yet
// answer "not available".
std::unique_ptr<DialogsPort> MakeDialogWindows();

}  // namespace lumetra
