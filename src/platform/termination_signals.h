#pragma once
// SIGTERM, SIGINT and SIGHUP arrive as a call on the event loop's thread, so
// the program can run its ordinary shutdown instead of dying mid-write.
#include <functional>

namespace lumetra::platform {

// Installs the handlers; `onSignal` runs on the thread that called this.
void OnTerminationSignal(std::function<void(int signal)> onSignal);

}  // namespace lumetra::platform
