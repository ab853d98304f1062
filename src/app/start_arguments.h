#pragma once
// Command-line arguments handed from a second start to the running copy.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_port.h"

namespace lumetra {

// An argument is an address when its lower-case form contains "http:",
// "https:", "ftp:" or "file:"; anything else is a file to import.
bool IsAddressArgument(std::string_view argument);

// The WM_COPYDATA payload: TAB, the argument unchanged, a zero byte, and one
// byte more (the size is the text's length plus 2).
std::string BuildHandoffPayload(std::string_view argument);

// What the receiver keeps of a payload: at most 8192 bytes up to the first
// zero, with a zero forced at 8191, so at most 8191 characters.
std::string ReceiveHandoffText(const void* data, size_t size);

// SendStartArguments of the process entry and of UM_HANDOFF. The target is
// kept between calls, as the first call only prepares it.
class StartArgumentSender {
 public:
  using Send = std::function<void(platform::WindowHandle target, const std::string& payload)>;

  StartArgumentSender(std::vector<std::string> arguments, Send send) : arguments_(std::move(arguments)), send_(std::move(send)) {}

  void SetOtherInstance(platform::WindowHandle h) { otherInstance_ = h; }
  void SetMainWindow(platform::WindowHandle h) { mainWindow_ = h; }
  // mode 0 prepares the target, mode 1 sends every address argument.
  void Run(int mode);
  platform::WindowHandle Target() const { return target_; }
  const std::vector<std::string>& Arguments() const { return arguments_; }

 private:
  std::vector<std::string> arguments_;
  Send send_;
  platform::WindowHandle otherInstance_ = 0;
  platform::WindowHandle mainWindow_ = 0;
  platform::WindowHandle target_ = 0;
};

}  // namespace lumetra
