// The engine's own time-outs on real sockets: a proxy that stalls after its headers, one whose
// body comes after the time-out, a trickle that only the whole-fetch cap ends, and interim 1xx
// answers. One row at a time and many at once give the same cells, and a stalled row ends soon
// after the time-out.
#include <gtest/gtest.h>

#include <map>

#include "core/text.h"
#include "fakes/loopback_server.h"
#include "platform/posix/event_loop_check_io.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"
#include "verify/verify_engine.h"

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;
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
    lines.push_back(Split("\t" + servers.back()->proxy() + "\t\t\t\t\t\t\t\t", "\t"));
  }
  ProbeSettings settings{"127.0.0.2", "/", kTimeoutMs, 1000, "REMOTE_ADDR", "127.0.0.1", ""};
  GetAddrInfoResolver resolver;
  for (int jobs : {1, 8}) {
    EventLoopCheckIo io(resolver);
    VerifyEngine engine(io, settings, jobs);
    for (size_t i = 0; i < lines.size(); ++i) engine.Add(i, lines[i]);
    std::map<size_t, Clock::time_point> started;
    auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!engine.Done() && Clock::now() < deadline) {
      for (RowEvent& event : engine.Step(20)) {
        SCOPED_TRACE(std::string(cases[event.index].what) + ", jobs " + std::to_string(jobs));
        if (event.started) {
          started[event.index] = Clock::now();
          continue;
        }
        EXPECT_EQ(event.outcome.status, cases[event.index].status);
        // A stall ends the row within the time-out and a quarter second of its last byte.
        if (event.index == 0 || event.index == 3) {
          EXPECT_LT(Clock::now() - started[event.index],
                    std::chrono::milliseconds(kTimeoutMs + 250));
        }
      }
    }
    EXPECT_TRUE(engine.Done());
  }
}

}  // namespace
}  // namespace quillet
