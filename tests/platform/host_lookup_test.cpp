#include "platform/host_lookup.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "support/http_test_server.h"

namespace lumetra::platform {
namespace {

struct App {
  int argc = 1;
  char name[8] = "test";
  char* argv[1] = {name};
  QCoreApplication app{argc, argv};
};

TEST(HostLookup, AnswersLaterWithTheFirstIPv4Address) {
  App a;
  struct Case {
    const char* name;
    const char* ipv4;  // nullptr: any IPv4 address
    bool found;
  } cases[] = {
      {"127.0.0.1", "127.0.0.1", true},  // numeric names answer through the event loop as well
      {"localhost", nullptr, true},
      {"no-such-host.invalid", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QObject context;
    bool called = false;
    HostLookupResult result;
    LookUpHost(c.name, &context, [&](const HostLookupResult& r) {
      called = true;
      result = r;
    });
    EXPECT_FALSE(called);
    ASSERT_TRUE(test::WaitUntil([&] { return called; }, 30000));
    EXPECT_EQ(!result.addresses.empty(), c.found);
    if (c.ipv4)
      EXPECT_EQ(result.ipv4, c.ipv4);
    else
      EXPECT_FALSE(result.ipv4.empty());
  }
}

TEST(HostLookup, AbortedOrOrphanedLookUpsNeverAnswer) {
  App a;
  int calls = 0;
  QObject context;
  int id = LookUpHost("127.0.0.1", &context, [&](const HostLookupResult&) { ++calls; });
  AbortHostLookup(id);
  auto gone = std::make_unique<QObject>();
  LookUpHost("127.0.0.1", gone.get(), [&](const HostLookupResult&) { ++calls; });
  gone.reset();
  test::RunEventsFor(300);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace lumetra::platform
