#include <gtest/gtest.h>

#include <cstdlib>

#include "fakes/fake_user_interface.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "verify/socket_layer.h"

namespace quillet {
namespace {

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
