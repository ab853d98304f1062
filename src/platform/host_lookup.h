#pragma once
// Asynchronous host-name look-up. The answer always arrives later from the
// event loop, numeric names included, so callers handle one path only.
#include <QObject>
#include <functional>
#include <string>
#include <vector>

namespace lumetra::platform {

struct HostLookupResult {
  std::string ipv4;                    // first IPv4 address as dotted text; "" when none
  std::vector<std::string> addresses;  // every address found, IPv4 and IPv6
};

// Runs `done` on the thread of `context` unless `context` is gone first.
// Returns an id for AbortHostLookup.
int LookUpHost(const std::string& name, QObject* context,
               std::function<void(const HostLookupResult&)> done);
// The answer of that look-up will not be delivered.
void AbortHostLookup(int id);

}  // namespace lumetra::platform
