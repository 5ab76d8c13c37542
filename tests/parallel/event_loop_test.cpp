// The real event loop: many echoes in flight over the multiplexer's few sockets, for both kinds
// of ICMP socket, and the engine's own time-outs on real sockets.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/engine_run.h"
#include "fakes/loopback_server.h"
#include "net/socket_layer.h"
#include "platform/posix/event_loop_check_io.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_multiplexer.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/posix_parallel_backend.h"
#include "verify/background_run.h"

namespace quillet {
namespace {

using Kind = IcmpMultiplexer::SocketKind;

class IcmpPingerMultiplexedTest : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    auto kind =
        GetParam() == Kind::Raw ? IcmpPinger::SocketKind::Raw : IcmpPinger::SocketKind::Datagram;
    if (!IcmpPinger::Permitted(kind)) GTEST_SKIP() << "this ICMP socket kind is not permitted here";
  }
};

struct Answer {
  int calls = 0;
  bool opened = false;
  EchoReply reply;
};

// With receive buffers that hold only a few replies, the echoes beyond them wait their turn
// instead of having their replies dropped.
TEST_P(IcmpPingerMultiplexedTest, manyEchoesAtOnceEachGetTheirOwnReply) {
  for (int buffer : {8 << 20, 8192}) {
    SCOPED_TRACE(buffer);
    EpollLoop loop;
    IcmpMultiplexer icmp(loop, GetParam(), buffer);
    std::vector<Answer> answers(300);
    for (size_t i = 0; i < answers.size(); ++i) {
      CheckIo::EchoDone done = [&answers, i](bool opened, const EchoReply& reply) {
        ++answers[i].calls;
        answers[i].opened = opened;
        answers[i].reply = reply;
      };
      uint32_t address = *ParseAddress("127.0.4." + std::to_string(1 + i % 250));
      ASSERT_TRUE(icmp.Start(address, "xoxo" + std::to_string(i), 2000, done));
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    auto all_answered = [&] {
      return std::all_of(answers.begin(), answers.end(), [](const Answer& a) { return a.calls; });
    };
    while (!all_answered() && std::chrono::steady_clock::now() < deadline) {
      loop.Wait(std::max(icmp.TimeoutMs(), 0));
      icmp.ExpireDue();
    }
    for (size_t i = 0; i < answers.size(); ++i) {
      const Answer& got = answers[i];
      EXPECT_EQ(std::make_tuple(got.calls, got.opened, got.reply.status, got.reply.data),
                std::make_tuple(1, true, ip_status::kSuccess, "xoxo" + std::to_string(i)));
      EXPECT_LT(got.reply.round_trip_ms, 2000u) << i;
    }
    EXPECT_EQ(icmp.TimeoutMs(), -1) << "an answered echo still waits for its deadline";
  }
}

// The loop sleeps past the echo's deadline: the reply, here long before, still counts, and its
// round trip is the kernel's, not the time the loop took to read it. (The system starts
// stamping a moment after a socket asks: a first echo and a pause give it that moment.)
TEST_P(IcmpPingerMultiplexedTest, aReplyReadLateCountsByWhenItArrived) {
  EpollLoop loop;
  IcmpMultiplexer icmp(loop, GetParam());
  Answer answer;
  auto note = [&answer](bool, const EchoReply& reply) {
    ++answer.calls;
    answer.reply = reply;
  };
  CheckIo::EchoDone first = note, late = note;
  ASSERT_TRUE(icmp.Start(*ParseAddress("127.0.4.9"), "first", 2000, first));
  while (answer.calls == 0) loop.Wait(100);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(icmp.Start(*ParseAddress("127.0.4.9"), "late", 300, late));
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  icmp.ExpireDue();
  ASSERT_EQ(answer.calls, 2);
  EXPECT_EQ(answer.reply.status, ip_status::kSuccess);
  EXPECT_LT(answer.reply.round_trip_ms, 300u);
}

INSTANTIATE_TEST_SUITE_P(SocketKinds, IcmpPingerMultiplexedTest,
                         ::testing::Values(Kind::Datagram, Kind::Raw), [](const auto& info) {
                           return std::string(info.param == Kind::Raw ? "raw" : "datagram");
                         });

// The engine's own time-outs on real sockets: a proxy that stalls after its headers, one whose
// body comes after the time-out, a trickle that only the whole-fetch cap ends, and interim 1xx
// answers, beside one that never takes the connection. One row at a time and many at once give
// the same cells, a stalled row ends soon after the time-out, and the loop sleeps while it waits.
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
    const char* outcome;  // status/secure
    bool accepts = true;
  } cases[] = {
      {"headers, then a stall", HeadThen(5000, ""), "--/"},
      {"the body after 1.5 time-outs", HeadThen(kTimeoutMs * 3 / 2, "REMOTE_ADDR x"), "--/"},
      {"a byte every third of the time-out", testing::Trickle(kTimeoutMs / 3), "OK/?"},
      {"an interim answer, then a stall", HeadThen(5000, "", interim), "--/"},
      {"an interim answer, then the page",
       HeadThen(0, std::string(kHead) + "REMOTE_ADDR x", interim), "OK/Y"},
      {"a connection nobody accepts", testing::Silent(), "--/", false},
  };
  std::vector<std::unique_ptr<LoopbackServer>> servers;
  std::vector<std::vector<std::string>> lines;
  for (size_t i = 0; i < std::size(cases); ++i) {
    servers.push_back(std::make_unique<LoopbackServer>("127.0.3." + std::to_string(i + 1),
                                                       cases[i].behaviour, cases[i].accepts));
    lines.push_back(testing::ProxyCells(servers.back()->proxy()));
  }
  ProbeSettings settings{"127.0.0.2", "/", kTimeoutMs, 1000, "REMOTE_ADDR", "127.0.0.1", ""};
  GetAddrInfoResolver resolver;
  for (int jobs : {1, 8}) {
    EventLoopCheckIo io(resolver);
    testing::EngineRun run = testing::RunEngine(io, settings, jobs, lines, 20, 20);
    ASSERT_EQ(run.done.size(), lines.size()) << jobs;
    // Waiting rows leave the loop asleep until something is due: no spinning towards a timer
    // due within the millisecond (once thousands of rounds a second).
    auto wall_ms = std::chrono::duration_cast<std::chrono::milliseconds>(run.wall).count();
    EXPECT_LT(run.steps, size_t(3 * wall_ms / 20 + 50)) << jobs;
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(std::string(cases[i].what) + ", jobs " + std::to_string(jobs));
      EXPECT_EQ(run.done[i].status + "/" + run.done[i].secure, cases[i].outcome);
      // A stall ends the row within the time-out and a quarter second of its last byte.
      if (i == 0 || i == 3) {
        EXPECT_LT(run.took[i], std::chrono::milliseconds(kTimeoutMs + 250));
      }
    }
  }
}

// The cells of every row of a run, by row: status/secure/level/why.
std::map<size_t, std::string> CellsOf(BackgroundRun& run) {
  std::map<size_t, std::string> cells;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!run.Over() && std::chrono::steady_clock::now() < deadline) {
    for (RowEvent& event : run.Take(20)) {
      const RowCheckOutcome& out = event.outcome;
      if (!event.started)
        cells[event.index] = out.status + "/" + out.secure + "/" + out.level + "/" +
                             std::to_string(int(out.failure_kind)) + (out.failure ? "!" : "");
    }
  }
  return cells;
}

// Rows shared out among two engines, each with its own loop and ICMP sockets and with more
// transfers in flight than one libcurl multi handle takes, come to the same cells as on one engine.
// (A cancel with two engines: VerifyInWindow.clickWhileALookUpHangs.)
TEST(EngineThreads, twoEnginesGiveTheCellsOfOne) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) GTEST_SKIP() << "no ICMP socket";
  std::string page = std::string(kHead) + "REMOTE_ADDR=127.0.0.9";
  LoopbackServer elite("127.0.4.1", testing::AnswerWith(page));
  LoopbackServer transparent("127.0.4.2",
                             testing::AnswerWith(page + " HTTP_X_FORWARDED_FOR=127.0.0.1"));
  LoopbackServer denied("127.0.4.3", testing::AnswerWith("HTTP/1.0 403 No\r\n\r\n"));
  std::vector<std::string> proxies = {
      elite.proxy(), transparent.proxy(), denied.proxy(),
      "127.0.4.5:" + std::to_string(testing::ClosedPort("127.0.4.5")),
      "127.0.4.1"};  // no port: the row fails
  BackgroundRun::Rows rows;
  for (size_t i = 0; i < 300; ++i) rows.emplace_back(i, testing::ProxyCells(proxies[i % 4]));
  rows.emplace_back(300, testing::ProxyCells(proxies[4]));
  ProbeSettings settings{"127.0.0.2", "/", kTimeoutMs, 1000, "REMOTE_ADDR", "127.0.0.1", ""};
  GetAddrInfoResolver resolver;
  PosixParallelBackend backend(resolver);
  BackgroundRun one(backend, settings, 8, rows, false, 1);
  BackgroundRun two(backend, settings, 300, rows, false, 2);
  std::map<size_t, std::string> cells = CellsOf(one);
  ASSERT_EQ(cells.size(), rows.size());
  EXPECT_EQ(cells[0] + "|" + cells[2].substr(0, 4) + "|" + cells[300].back(),
            "OK/Y/elite/0|403/|!");
  EXPECT_EQ(CellsOf(two), cells);
}

}  // namespace
}  // namespace quillet
