#include "platform/win32/icmp_library_pinger.h"

#include <gtest/gtest.h>

#include "verify/socket_layer.h"

namespace quillet {
namespace {

TEST(IcmpLibraryPinger, loopbackAnswersTheEchoWithItsPayload) {
  IcmpLibraryPinger pinger;
  for (const char* address : {"127.0.0.1", "127.0.3.21"}) {
    EchoReply reply;
    ASSERT_EQ(PingHost(pinger, address, kPingPayload, reply, 2500), 0) << address;
    EXPECT_EQ(reply.status, ip_status::kSuccess);
    EXPECT_EQ(DottedAddress(reply.address), address);
    EXPECT_EQ(reply.data, "xoxo");
    EXPECT_LT(reply.round_trip_ms, 2500u);
  }
}

TEST(IcmpLibraryPinger, textThatIsNoAddressSendsNothing) {
  IcmpLibraryPinger pinger;
  EchoReply reply;
  reply.status = 12345;
  EXPECT_EQ(PingHost(pinger, "localhost", kPingPayload, reply, 2500), kPingBadAddress);
  EXPECT_EQ(PingHost(pinger, "255.255.255.255", kPingPayload, reply, 2500), kPingBadAddress);
  EXPECT_EQ(reply.status, 12345u);  // the record is left as it was
}

}  // namespace
}  // namespace quillet
