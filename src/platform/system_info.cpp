#include "platform/system_info.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace lumetra::platform {

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ExecutableFolder() {
  std::string path = ExecutablePath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsAdministrator() { return ::geteuid() == 0; }

std::string FirstIPv4Address() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return "127.0.0.1";
  std::string found = "127.0.0.1";
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    if (!(a->ifa_flags & IFF_UP) || (a->ifa_flags & IFF_LOOPBACK)) continue;
    auto* in = reinterpret_cast<sockaddr_in*>(a->ifa_addr);
    if (in->sin_addr.s_addr == 0) continue;
    char text[INET_ADDRSTRLEN];
    if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
      found = text;
      break;
    }
  }
  ::freeifaddrs(list);
  return found;
}

int ColourCountForDepth(int bitsPerPixel) {
  if (bitsPerPixel >= 31) return INT_MAX;
  if (bitsPerPixel <= 0) return 2;
  return 1 << bitsPerPixel;
}

}  // namespace lumetra::platform
