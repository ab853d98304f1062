#include "app/start_arguments.h"

#include <cstring>

namespace lumetra {

bool IsAddressArgument(std::string_view argument) {
  std::string lower(argument);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  // "https:" is an address too, though the rule was written before it was common.
  return lower.find("http:") != std::string::npos || lower.find("https:") != std::string::npos ||
         lower.find("ftp:") != std::string::npos ||
         lower.find("file:") != std::string::npos;
}

std::string BuildHandoffPayload(std::string_view argument) {
  std::string payload = "\t";
  payload.append(argument);
  payload.append(2, '\0');
  return payload;
}

std::string ReceiveHandoffText(const void* data, size_t size) {
  if (!data) return {};
  size_t limit = std::min<size_t>(size, 8192);
  const char* bytes = static_cast<const char*>(data);
  const void* zero = std::memchr(bytes, 0, limit);
  size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : limit;
  return std::string(bytes, std::min<size_t>(length, 8191));
}

void StartArgumentSender::Run(int mode) {
  if (target_ == 0) target_ = otherInstance_;
  if (target_ == 0 && mode == 1 && mainWindow_ != 0) target_ = mainWindow_;
  if (mode == 1 && mainWindow_ != 0 && target_ == 0) return;
  for (const std::string& argument : arguments_) {
    if (!IsAddressArgument(argument)) continue;
    if (mode == 1 && target_ != 0) send_(target_, BuildHandoffPayload(argument));
  }
}

}  // namespace lumetra
