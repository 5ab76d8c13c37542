// The engine and its row check: what a row comes to, whatever the number of jobs, and how a
// cancel or a failure of the I/O ends the rows in flight.
#include "verify/verify_engine.h"
#include "verify/blocking_check_io.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "core/text.h"
#include "fakes/engine_run.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_resolver.h"

namespace quillet {
namespace {

struct Engine {
  ProbeSettings settings{"127.0.2.1:8080", "/", 1000, 1000, "HTTP_CLIENT_IP", "127.0.0.1", ""};
  testing::FakeHttpClient http;
  testing::FakePinger pinger;
  testing::ScriptedCheckIo io{http, pinger};

  Engine() {
    io.names["proxy.example"] = "127.0.1.11";
    pinger.statuses["127.0.1.11"] = ip_status::kSuccess;
    http.replies["127.0.1.11:3128"] = {200, "REMOTE_ADDR = 127.0.1.11\nHTTP_CLIENT_IP = \n"};
    http.replies["unknown.example:3128"] = {200, "REMOTE_ADDR 127.0.0.1 HTTP_CLIENT_IP"};
  }
  // Checks the lines ("ip|name") `jobs` at once to their end, on `on` or the scripted I/O.
  testing::EngineRun Run(const std::vector<std::string>& lines, int jobs, CheckIo* on = nullptr) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines)
      rows.push_back(Split("\t" + ReplaceAll(line, "|", "\t") + "\tnote\t\t\t\t\t\t", "\t"));
    testing::EngineRun run = testing::RunEngine(on ? *on : io, settings, jobs, rows);
    EXPECT_LE(run.most_in_flight, size_t(jobs));
    return run;
  }
};

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
  std::vector<std::string> lines;
  for (const Want& w : want) lines.push_back(w.line);
  // The scripted I/O ends operations out of order; the blocking ports run on a worker thread.
  for (int jobs : {1, 2, 6, -6}) {
    Engine e;
    testing::FakeResolver resolver;
    resolver.addresses["proxy.example"] = {"127.0.1.11"};
    BlockingCheckIo blocking({e.http, e.pinger, resolver}, 1);  // the fakes are not thread-safe
    testing::EngineRun run = e.Run(lines, std::abs(jobs), jobs < 0 ? &blocking : nullptr);
    ASSERT_EQ(run.done.size(), lines.size());
    EXPECT_EQ(run.started, (std::vector<size_t>{0, 1, 2, 3, 4, 5})) << "rows start in order";
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(lines[i] + ", jobs " + std::to_string(jobs));
      EXPECT_EQ(run.done[i].status, want[i].status);
      EXPECT_EQ(run.done[i].secure, want[i].secure);
      EXPECT_EQ(run.done[i].ping, want[i].ping);
      EXPECT_EQ(run.done[i].failure != nullptr, i == 5);
    }
    EXPECT_EQ(e.pinger.pinged.size(), 3u);
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

}  // namespace
}  // namespace quillet
