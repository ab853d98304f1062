#pragma once
// Facts about the machine and the running program.
#include <string>

namespace lumetra::platform {

// Folder of the executable, without trailing slash (UTF-8 path).
std::string ExecutableFolder();
std::string ExecutablePath();
// The effective user is root: the nearest thing to an administrator.
bool IsAdministrator();
// First IPv4 address of an interface that is up and not loopback; "127.0.0.1"
// when there is none (the machine is off line).
std::string FirstIPv4Address();
// Colours of a display of the given depth: 2147483647 for 32 bits, else 2^depth.
int ColourCountForDepth(int bitsPerPixel);

}  // namespace lumetra::platform
