// The engine and its row check: what a row comes to, whatever the number of jobs, and how a
// cancel or a failure of the I/O ends the rows in flight.
#include "verify/verify_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "core/text.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

struct Engine {
  ProbeSettings settings{"127.0.2.1:8080", "/", 1000, 1000, "HTTP_CLIENT_IP", "127.0.0.1", ""};
  testing::FakeHttpClient http;
  testing::FakePinger pinger;
  testing::ScriptedCheckIo io{http, pinger};
  std::map<size_t, RowCheckOutcome> done;
  std::vector<size_t> started;

  Engine() {
    io.names["proxy.example"] = "127.0.1.11";
    pinger.statuses["127.0.1.11"] = ip_status::kSuccess;
    http.replies["127.0.1.11:3128"] = {200, "REMOTE_ADDR = 127.0.1.11\nHTTP_CLIENT_IP = \n"};
    http.replies["unknown.example:3128"] = {200, "REMOTE_ADDR 127.0.0.1 HTTP_CLIENT_IP"};
  }
  // Checks the lines ("ip|name") `jobs` at once to their end.
  void Run(const std::vector<std::string>& lines, int jobs) {
    VerifyEngine engine(io, settings, jobs);
    for (size_t i = 0; i < lines.size(); ++i) {
      engine.Add(i, Split("\t" + ReplaceAll(lines[i], "|", "\t") + "\tnote\t\t\t\t\t\t", "\t"));
    }
    while (!engine.Done()) {
      for (RowEvent& event : engine.Step(0)) {
        if (event.started) started.push_back(event.index);
        if (!event.started) done[event.index] = std::move(event.outcome);
      }
      EXPECT_LE(engine.InFlight(), size_t(jobs));
    }
  }
};

TEST(VerifyEngine, eachLineComesToItsOutcomeWhateverTheJobs) {
  const std::vector<std::string> lines = {
      "127.0.1.11:3128|",       // answers, anonymous
      "|proxy.example:3128",    // resolves, pinged and probed at its address
      "|unknown.example:3128",  // does not resolve: not pinged, probed by name, Ping "0"
      "127.0.1.12:3128|",       // silent to ping
      "|",                      // no address at all
      "127.0.1.11|",            // no port: the run's failure
  };
  for (int jobs : {1, 2, 6}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    Engine e;
    e.Run(lines, jobs);
    ASSERT_EQ(e.done.size(), lines.size());
    EXPECT_EQ(e.started, (std::vector<size_t>{0, 1, 2, 3, 4, 5})) << "rows start in order";
    EXPECT_EQ(e.done[0].secure, "Y");
    EXPECT_EQ(e.done[0].ping, "7");
    EXPECT_EQ(e.done[1].status, "OK");
    EXPECT_EQ(e.done[2].secure, "N");
    EXPECT_EQ(e.done[2].ping, "0");
    EXPECT_EQ(e.done[3].status, "--");
    EXPECT_EQ(e.done[4].status, "--");
    EXPECT_TRUE(e.done[5].failure);
    std::sort(e.pinger.pinged.begin(), e.pinger.pinged.end());
    EXPECT_EQ(e.pinger.pinged,
              (std::vector<std::string>{"127.0.1.11", "127.0.1.11", "127.0.1.12"}));
  }
}

TEST(VerifyEngine, errorReportsOfAProbeAreKeptForTheWindow) {
  Engine e;
  e.settings.TestHost = "127.0.2.1:99999";
  e.Run({"127.0.1.11:3128|"}, 1);
  EXPECT_FALSE(e.done[0].answered);
  EXPECT_TRUE(e.http.requests.empty());
  testing::FakeUserInterface ui;
  e.done[0].messages.ReplayOn(ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: F6", 0), 0u);
}

TEST(VerifyEngine, cancelOrDestructionEndsTheRowsInFlightAndStartsNoOther) {
  for (bool destroy : {false, true}) {
    Engine e;
    e.io.hold = true;
    {
      VerifyEngine engine(e.io, e.settings, 3);
      for (size_t i = 0; i < 8; ++i)
        engine.Add(i, {"", "127.0.1.11:3128", "", "", "", "", "", "", "", ""});
      EXPECT_EQ(engine.Step(0).size(), 3u);
      EXPECT_EQ(e.io.Pending(), 3u);
      if (!destroy) {
        engine.Cancel();
        EXPECT_TRUE(engine.Done());
        EXPECT_TRUE(engine.Step(0).empty());
      }
    }
    EXPECT_EQ(e.io.Pending(), 0u);
    EXPECT_EQ(e.io.started, 3) << "nothing started after the cancel";
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
  VerifyEngine engine(io, ProbeSettings{"127.0.2.1", "/", 1000, 1000, "", "", ""}, 1);
  engine.Add(0, {"", "127.0.1.11:3128", ""});
  std::vector<RowEvent> events;
  while (!engine.Done()) {
    for (RowEvent& event : engine.Step(0)) events.push_back(std::move(event));
  }
  ASSERT_EQ(events.size(), 2u);
  EXPECT_TRUE(events[1].outcome.failure);
}

}  // namespace
}  // namespace quillet
