#pragma once
#include <string>

namespace lumetra::platform {

// Per-user folder for the instance lock and the hand-off socket:
// $XDG_RUNTIME_DIR, else a private folder in the temporary folder.
std::string RuntimeFolder();
// Lumetra's own temporary folder (work files; cleaned at start-up).
std::string TempFolder();

}  // namespace lumetra::platform
