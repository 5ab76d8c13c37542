// The engine and its row check: what a row comes to, whatever the number of jobs, and how a
// cancel or a failure of the I/O ends the rows in flight; the pace of its starts; and the name
// service that lets the window turn while it waits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "core/text.h"
#include "fakes/engine_run.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "net/yielding_resolver.h"
#include "verify/blocking_check_io.h"
#include "verify/start_pacer.h"
#include "verify/verify_engine.h"

namespace quillet {
namespace {

TEST(VerifyEngine, eachLineComesToItsOutcomeWhateverTheJobs) {
  struct Want {
    std::string line, status, secure, ping;
  } want[] = {
      {"127.0.1.11:3128|", "OK", "Y", "7"},
      {"|proxy.example:3128", "OK", "Y", "7"},    // resolved: pinged and probed at its address
      {"|unknown.example:3128", "OK", "N", "0"},  // unresolved: probed by name, not pinged
      {"127.0.1.12:3128|", "--", "", ""},         // silent to ping
      {"|", "--", "", ""},                        // no address at all
      {"127.0.1.11|", "", "", ""},                // no port: the run's failure
  };
  std::vector<std::vector<std::string>> rows;  // the lines are "ip|name"
  for (const Want& w : want)
    rows.push_back(Split("\t" + ReplaceAll(w.line, "|", "\t") + "\tnote\t\t\t\t\t\t", "\t"));
  ProbeSettings settings{"127.0.2.1:8080", "/", 1000, 1000, "HTTP_CLIENT_IP", "127.0.0.1", ""};
  // The scripted I/O ends operations out of order; the blocking ports run on a worker thread.
  for (int jobs : {1, 2, 6, -6}) {
    testing::FakeHttpClient http;
    testing::FakePinger pinger;
    testing::ScriptedCheckIo io{http, pinger};
    testing::FakeResolver resolver;
    io.names["proxy.example"] = "127.0.1.11";
    resolver.addresses["proxy.example"] = {"127.0.1.11"};
    pinger.statuses["127.0.1.11"] = ip_status::kSuccess;
    http.replies["127.0.1.11:3128"] = {200, "REMOTE_ADDR = 127.0.1.11\nHTTP_CLIENT_IP = \n"};
    http.replies["unknown.example:3128"] = {200, "REMOTE_ADDR 127.0.0.1 HTTP_CLIENT_IP"};
    BlockingCheckIo blocking({http, pinger, resolver}, 1);  // the fakes are not thread-safe
    CheckIo& on = jobs < 0 ? static_cast<CheckIo&>(blocking) : io;
    testing::EngineRun run = testing::RunEngine(on, settings, std::abs(jobs), rows);
    ASSERT_EQ(run.done.size(), rows.size());
    EXPECT_LE(run.most_in_flight, size_t(std::abs(jobs)));
    EXPECT_EQ(run.started, (std::vector<size_t>{0, 1, 2, 3, 4, 5})) << "rows start in order";
    for (size_t i = 0; i < rows.size(); ++i) {
      SCOPED_TRACE(want[i].line + ", jobs " + std::to_string(jobs));
      const RowCheckOutcome& g = run.done[i];
      EXPECT_EQ(std::tie(g.status, g.secure, g.ping),
                std::tie(want[i].status, want[i].secure, want[i].ping));
      EXPECT_EQ(g.failure != nullptr, i == 5);
    }
    EXPECT_EQ(pinger.pinged.size(), 3u);
  }
}

// An I/O that throws when asked (no memory, no socket) fails that row, not the program.
class ThrowingCheckIo : public testing::ScriptedCheckIo {
 public:
  using ScriptedCheckIo::ScriptedCheckIo;
  void StartGet(const HttpRequest&, GetDone) override { throw std::runtime_error("no socket"); }
};

TEST(VerifyEngine, anIoFailureBecomesTheRowsFailure) {
  testing::FakeHttpClient http;
  testing::FakePinger pinger;
  pinger.statuses["127.0.1.11"] = ip_status::kSuccess;
  ThrowingCheckIo io(http, pinger);
  testing::EngineRun run =
      testing::RunEngine(io, ProbeSettings{"127.0.2.1", "/", 1000, 1000, "", "", ""}, 1,
                         {{"", "127.0.1.11:3128", ""}});
  ASSERT_EQ(run.done.size(), 1u);
  EXPECT_TRUE(run.done[0].failure);
}

// The starts a turn may make: fewer while the loop is late, back up to the jobs once it keeps up.
using std::chrono::milliseconds;

TEST(StartPacer, followsHowLateEachTurnEnds) {
  struct Case {
    size_t jobs;
    std::vector<int> late_ms;     // how late each turn ended, one after the other
    std::vector<size_t> allowed;  // the starts allowed after each of them
  };
  const Case cases[] = {
      // Not every job in the first turn; on time, the allowance doubles up to the jobs.
      {4000, {0, -50, 25, 0, 0, 0}, {512, 1024, 2048, 4000, 4000, 4000}},
      // Late turns halve it, down to one start and never none; a turn between the two marks
      // keeps it; on time again it climbs back.
      {1000,
       {101, 100, 26, 500, 500, 500, 500, 500, 500, 500, 500, 5, 5},
       {128, 128, 128, 64, 32, 16, 8, 4, 2, 1, 1, 2, 4}},
      // One job: one start, however the turns go.
      {1, {0, 1000, 0}, {1, 1, 1}},
      {0, {0}, {1}},
  };
  for (const Case& c : cases) {
    StartPacer pacer(c.jobs);
    for (size_t turn = 0; turn < c.late_ms.size(); ++turn) {
      pacer.NoteTurn(milliseconds(c.late_ms[turn]));
      EXPECT_EQ(pacer.Allowed(), c.allowed[turn]) << "jobs " << c.jobs << ", turn " << turn;
    }
  }
}

TEST(YieldingResolver, theWindowHandlesItsEventsWhileALookUpIsSlow) {
  testing::FakeResolver slow;
  slow.delay = std::chrono::milliseconds(300);
  slow.addresses["proxy.example"] = {"127.0.1.11"};
  testing::FakeUserInterface ui;
  YieldingResolver resolver(slow, ui);
  EXPECT_EQ(resolver.HostAddresses("proxy.example"), std::vector<std::string>{"127.0.1.11"});
  EXPECT_GE(ui.pending_event_calls, 5) << "the window froze for the whole look-up";
}

}  // namespace
}  // namespace quillet
