#include <gtest/gtest.h>

#include "fakes/fake_verify_ports.h"
#include "verify/pinger.h"

namespace quillet {
namespace {

using testing::FakePinger;

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
