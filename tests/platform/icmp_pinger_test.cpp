#include "platform/posix/icmp_pinger.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Kind = IcmpPinger::SocketKind;

// Each socket kind on its own; a kind this machine does not permit is skipped with the reason.
class IcmpPingerTest : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (!IcmpPinger::Permitted(GetParam())) {
      GTEST_SKIP() << (GetParam() == Kind::Raw
                           ? "raw ICMP sockets need root or CAP_NET_RAW"
                           : "unprivileged ICMP sockets are off: this group is not in "
                             "net.ipv4.ping_group_range");
    }
  }
};

TEST_P(IcmpPingerTest, loopbackAnswers_withTheEchoedPayload) {
  IcmpPinger pinger(GetParam());
  for (const char* address : {"127.0.0.1", "127.0.1.11"}) {
    EchoReply reply;
    EXPECT_EQ(PingHost(pinger, address, kPingPayload, reply, 2000), 0) << address;
    EXPECT_EQ(reply.data, "xoxo") << address;
    EXPECT_LT(reply.round_trip_ms, 2000u);
  }
}

TEST_P(IcmpPingerTest, invalidAddress_isRefusedBeforeAnythingIsSent) {
  IcmpPinger pinger(GetParam());
  EchoReply reply;
  EXPECT_EQ(PingHost(pinger, "127.0.0.256", kPingPayload, reply, 2000), -1);
  EXPECT_EQ(reply.status, 0u);
}

INSTANTIATE_TEST_SUITE_P(SocketKinds, IcmpPingerTest, ::testing::Values(Kind::Datagram, Kind::Raw),
                         [](const auto& info) {
                           return std::string(info.param == Kind::Raw ? "raw" : "datagram");
                         });

TEST(IcmpPinger, withoutAnyIcmpSocket_reportsNoChannel) {
  if (IcmpPinger::Permitted(Kind::Datagram) || IcmpPinger::Permitted(Kind::Raw)) {
    GTEST_SKIP() << "this machine permits ICMP sockets; the refusal cannot be seen here";
  }
  IcmpPinger pinger;
  EchoReply reply;
  EXPECT_EQ(PingHost(pinger, "127.0.0.1", kPingPayload, reply, 500), 1);
}

}  // namespace
}  // namespace quillet
