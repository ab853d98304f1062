#pragma once
// Starting programs and opening addresses. Command lines are program text
// (Shift_JIS) written the way the program has always written them: a program
// path, often in double quotes, then its arguments; they are split by shell
// rules. Tests install an interceptor that records instead of starting.
#include <functional>
#include <string>

namespace lumetra::platform {

struct LaunchRecord {
  enum class Kind { Program, OpenAddress };
  Kind kind = Kind::Program;
  std::string commandLine;  // or the address, for OpenAddress
  bool hidden = false;
  std::string workingFolder;  // UTF-8 path; empty for the current folder
};

// false when the program could not be started (callers may ignore it).
bool StartProgram(const std::string& commandLine, bool hidden = false, const std::string& workingFolder = {});
// Opens an address with the desktop's handler (the "open" verb).
bool OpenAddress(const std::string& address);

using LaunchInterceptor = std::function<bool(const LaunchRecord&)>;
// Returns the previous interceptor; an empty one starts programs for real.
LaunchInterceptor SetLaunchInterceptor(LaunchInterceptor interceptor);

}  // namespace lumetra::platform
