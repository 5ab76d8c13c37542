#include <gtest/gtest.h>

#include <cstdlib>

#include "fakes/fake_user_interface.h"
#include "net/socket_layer.h"
#include "platform/posix/getaddrinfo_resolver.h"

namespace quillet {
namespace {

TEST(GetAddrInfoResolver, resolvesLoopbackNamesBothWays) {
  GetAddrInfoResolver resolver;
  testing::FakeUserInterface ui;
  EXPECT_EQ(NameToAddress(resolver, "127.0.0.1"), "127.0.0.1");
  std::string localhost = NameToAddress(resolver, "localhost");
  if (localhost.empty()) GTEST_SKIP() << "this machine's resolver does not know localhost";
  EXPECT_EQ(localhost.rfind("127.", 0), 0u) << localhost;
  EXPECT_FALSE(AddressToName(resolver, ui, "127.0.0.1").empty());
  EXPECT_TRUE(ui.messages.empty());
}

// Run by own_address_in_private_netns.sh in namespaces it builds, with the address it expects.
TEST(OwnAddressInPrivateNetns, IsTheDefaultRouteInterfaceAndLoopbackOnlyWhenAlone) {
  const char* expected = std::getenv("QUILLET_EXPECTED_OWN_ADDRESS");
  if (!expected) GTEST_SKIP() << "runs inside a private network namespace only";
  GetAddrInfoResolver resolver;
  testing::FakeUserInterface ui;
  EXPECT_EQ(LocalAddress(resolver, ui), expected);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace quillet
