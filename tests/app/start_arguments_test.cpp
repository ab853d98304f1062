#include "app/start_arguments.h"

#include <gtest/gtest.h>

namespace lumetra {
namespace {

TEST(StartArguments, AddressesAreRecognisedOnTheLowerCaseForm) {
  struct Case {
    const char* argument;
    bool address;
  } cases[] = {{"http://a", true},         {"HTTP://EXAMPLE.ORG/a b", true}, {"Ftp:x", true},
               {"FILE:///tmp/x", true},     {"news.NUD", false},             {"/home/u/http_dump", false},
               {"https://a", true},         {"", false}};
  for (const Case& c : cases) EXPECT_EQ(IsAddressArgument(c.argument), c.address) << c.argument;
}

TEST(StartArguments, PayloadAndReceivedText) {
  std::string payload = BuildHandoffPayload("HTTP://x/a b");
  EXPECT_EQ(payload.size(), std::string("\tHTTP://x/a b").size() + 2);
  EXPECT_EQ(ReceiveHandoffText(payload.data(), payload.size()), "\tHTTP://x/a b");
  std::string longArgument(10000, 'a');
  std::string big = BuildHandoffPayload(longArgument);
  EXPECT_EQ(ReceiveHandoffText(big.data(), big.size()).size(), 8191u);
  std::string noZero(9000, 'b');
  EXPECT_EQ(ReceiveHandoffText(noZero.data(), noZero.size()).size(), 8191u);
  EXPECT_EQ(ReceiveHandoffText(nullptr, 5), "");
}

TEST(StartArguments, SenderTargetsTheOtherCopyOrItsOwnWindow) {
  std::vector<std::pair<platform::WindowHandle, std::string>> sent;
  auto record = [&](platform::WindowHandle h, const std::string& p) { sent.emplace_back(h, p); };

  // A second start: only addresses go to the other copy.
  StartArgumentSender second({"a.NUD", "http://x"}, record);
  second.SetOtherInstance(77);
  second.Run(0);
  EXPECT_TRUE(sent.empty());
  second.Run(1);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].first, 77u);

  // The first copy sends to itself when its main window exists.
  sent.clear();
  StartArgumentSender first({"http://y", "ftp:z"}, record);
  first.Run(0);
  first.SetMainWindow(5);
  first.Run(1);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].first, 5u);

  // A second start whose Handle file named nothing delivers nothing.
  sent.clear();
  StartArgumentSender lost({"http://x"}, record);
  lost.Run(0);
  lost.Run(1);
  EXPECT_TRUE(sent.empty());
}

}  // namespace
}  // namespace lumetra
