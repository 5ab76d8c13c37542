#include "platform/win32/winsock_resolver.h"

#include <gtest/gtest.h>

#include "fakes/fake_user_interface.h"
#include "verify/socket_layer.h"

namespace quillet {
namespace {

// Only names the hosts file answers are looked up, and a name the resolver refuses before
// asking anyone (a label may hold at most 63 characters): no query leaves the machine.
const std::string kUnaskableName = std::string(70, 'q') + ".invalid";

TEST(WinsockResolver, namesAndAddressesOfTheLoopbackHost) {
  WinsockResolver resolver;
  testing::FakeUserInterface ui;
  // No start-up here: a look-up still works.
  EXPECT_EQ(NameToAddress(resolver, "localhost"), "127.0.0.1");
  EXPECT_EQ(NameToAddress(resolver, "127.0.3.9"), "127.0.3.9");
  EXPECT_EQ(NameToAddress(resolver, kUnaskableName), "");
  EXPECT_EQ(AddressToName(resolver, ui, "127.0.0.1"), "localhost");
  EXPECT_TRUE(ui.messages.empty()) << ui.last_message();
  EXPECT_EQ(AddressToName(resolver, ui, "255.255.255.255"), "");
  EXPECT_EQ(ui.last_message(), "String passed is an invalid IP.");
  EXPECT_EQ(resolver.HostName("127.0.0.1.5"), std::nullopt);
}

}  // namespace
}  // namespace quillet
