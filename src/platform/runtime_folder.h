#pragma once
#include <string>

namespace lumetra::platform {

// Per-user folder for the instance lock and the hand-off socket:
// $XDG_RUNTIME_DIR, else a private folder in the temporary folder.
std::string RuntimeFolder();
// Lumetra's own temporary folder (work files; cleaned at start-up).
std::string TempFolder();
// The folder the companion programs share with Lumetra (the news screen
// saver's program and its headline file): $XDG_DATA_HOME/TARVO/System, made
// when missing. It stands for the system folder of the original platform,
// which a user's program could not write here.
std::string SystemFolder();

}  // namespace lumetra::platform
