// The ways of pinging a row on real sockets where the system refuses every ICMP socket (run by
// icmp_refused_in_private_netns.sh): an ICMP ping fails and says why, a TCP ping times the
// connection to the proxy's port (refused when nothing listens there), and no ping goes
// straight to the test page.
#include <gtest/gtest.h>

#include "fakes/engine_run.h"
#include "fakes/loopback_server.h"
#include "platform/posix/event_loop_check_io.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"

namespace quillet {
namespace {

TEST(PingMethodsWithoutIcmp, icmpSaysWhyWhileTcpAndNoneStillCheck) {
  if (IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
    GTEST_SKIP() << "ICMP is allowed here; icmp_refused_in_private_netns.sh runs this test";
  }
  testing::LoopbackServer proxy("127.0.0.1", [](testing::Socket fd, const std::atomic<bool>&) {
    testing::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR x");
  });
  const std::string closed = "127.0.0.1:" + std::to_string(testing::ClosedPort("127.0.0.1"));
  const struct {
    const char* method;
    std::string proxy, status;
    CheckFailure failure;
  } cases[] = {{"icmp", proxy.proxy(), "--", CheckFailure::NoIcmp},
               {"tcp", proxy.proxy(), "OK", CheckFailure::None},
               {"tcp", closed, "--", CheckFailure::Refused},
               {"none", proxy.proxy(), "OK", CheckFailure::None}};
  GetAddrInfoResolver resolver;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method + (" " + c.proxy));
    ProbeSettings settings{"127.0.0.2", "/", 2000, 1000,    "REMOTE_ADDR",
                           "10.9.8.7",  "",  "",   c.method};
    EventLoopCheckIo io(resolver);
    testing::EngineRun run = testing::RunEngine(io, settings, 1, {testing::ProxyCells(c.proxy)});
    ASSERT_EQ(run.done.size(), 1u);
    const RowCheckOutcome& got = run.done[0];
    EXPECT_EQ(std::make_tuple(got.status, got.failure_kind, got.ping_method, got.ping.empty()),
              std::make_tuple(c.status, c.failure, std::string(c.method),
                              c.failure != CheckFailure::None));
  }
}

}  // namespace
}  // namespace quillet
