#include <gtest/gtest.h>

#include "fakes/fake_verify_ports.h"
#include "verify/pinger.h"

namespace quillet {
namespace {

using testing::FakePinger;

TEST(ParseDottedAddress, acceptsOnlyFourDecimalPartsUpTo255) {
  uint32_t value = 0;
  ASSERT_TRUE(ParseDottedAddress("127.0.1.11", value));
  const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
  EXPECT_EQ(bytes[0], 127);
  EXPECT_EQ(bytes[3], 11);
  EXPECT_TRUE(ParseDottedAddress("0.0.0.0", value));
  for (const char* bad : {"255.255.255.255", "256.1.1.1", "1.2.3", "1.2.3.4.5", "01.2.3.4",
                          "1..3.4", "1.2.3.4 ", "localhost", "", "1.2.3.x"}) {
    EXPECT_FALSE(ParseDottedAddress(bad, value)) << bad;
  }
}

TEST(PingHost, resultCodes) {
  FakePinger pinger;
  pinger.statuses["127.0.1.11"] = ip_status::kSuccess;
  pinger.statuses["127.0.1.12"] = ip_status::kDestHostUnreachable;
  EchoReply reply;
  EXPECT_EQ(PingHost(pinger, "127.0.1.11", kPingPayload, reply, 100), 0);
  EXPECT_EQ(reply.round_trip_ms, pinger.round_trip_ms);
  EXPECT_EQ(pinger.payloads.back(), "xoxo");
  EXPECT_EQ(PingHost(pinger, "127.0.1.12", "xoxo", reply, 100), 11003);
  EXPECT_EQ(PingHost(pinger, "127.0.1.13", "xoxo", reply, 100), 11010);
  EXPECT_EQ(PingHost(pinger, "proxy.example", "xoxo", reply, 100), -1);
  EXPECT_EQ(pinger.pinged.size(), 3u);  // a name is never sent

  pinger.channel = false;
  EchoReply untouched;
  EXPECT_EQ(PingHost(pinger, "127.0.1.11", "xoxo", untouched, 100), 1);
  EXPECT_EQ(untouched.status, 0u);
}

}  // namespace
}  // namespace quillet
