// The engine's own time-outs on real sockets: a proxy that stalls after its headers, one whose
// body comes after the time-out, a trickle that only the whole-fetch cap ends, and interim 1xx
// answers. One row at a time and many at once give the same cells, and a stalled row ends soon
// after the time-out.
#include <gtest/gtest.h>

#include "fakes/engine_run.h"
#include "fakes/loopback_server.h"
#include "platform/posix/event_loop_check_io.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"

namespace quillet {
namespace {

using testing::LoopbackServer;

constexpr int kTimeoutMs = 400;
constexpr const char* kHead = "HTTP/1.0 200 OK\r\n\r\n";

LoopbackServer::Behaviour HeadThen(int pause_ms, std::string rest, std::string head = kHead) {
  return [=](testing::Socket fd, const std::atomic<bool>& stopping) {
    if (!testing::SendAll(fd, head)) return;
    testing::Pause(pause_ms, stopping);
    testing::SendAll(fd, rest);
  };
}

TEST(EngineTimeouts, stallsTricklesAndInterimAnswersGiveTheSameCellsInEveryMode) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) GTEST_SKIP() << "no ICMP socket";
  const std::string interim = "HTTP/1.1 100 Continue\r\n\r\n";
  struct Case {
    const char* what;
    LoopbackServer::Behaviour behaviour;
    const char* status;
  } cases[] = {
      {"headers, then a stall", HeadThen(5000, ""), "--"},
      {"the body after 1.5 time-outs", HeadThen(kTimeoutMs * 3 / 2, "REMOTE_ADDR x"), "--"},
      {"a byte every third of the time-out", testing::Trickle(kTimeoutMs / 3), "OK"},
      {"an interim answer, then a stall", HeadThen(5000, "", interim), "--"},
      {"an interim answer, then the page",
       HeadThen(0, std::string(kHead) + "REMOTE_ADDR x", interim), "OK"},
  };
  std::vector<std::unique_ptr<LoopbackServer>> servers;
  std::vector<std::vector<std::string>> lines;
  for (size_t i = 0; i < std::size(cases); ++i) {
    servers.push_back(
        std::make_unique<LoopbackServer>("127.0.3." + std::to_string(i + 1), cases[i].behaviour));
    lines.push_back(testing::ProxyCells(servers.back()->proxy()));
  }
  ProbeSettings settings{"127.0.0.2", "/", kTimeoutMs, 1000, "REMOTE_ADDR", "127.0.0.1", ""};
  GetAddrInfoResolver resolver;
  for (int jobs : {1, 8}) {
    EventLoopCheckIo io(resolver);
    testing::EngineRun run = testing::RunEngine(io, settings, jobs, lines, 20, 20);
    ASSERT_EQ(run.done.size(), lines.size()) << jobs;
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(std::string(cases[i].what) + ", jobs " + std::to_string(jobs));
      EXPECT_EQ(run.done[i].status, cases[i].status);
      // A stall ends the row within the time-out and a quarter second of its last byte.
      if (i == 0 || i == 3) {
        EXPECT_LT(run.took[i], std::chrono::milliseconds(kTimeoutMs + 250));
      }
    }
  }
}

}  // namespace
}  // namespace quillet
