// The engine against scripted I/O: rows finish out of order, yet each row's outcome is the one
// the one-at-a-time check gives, and a cancel drops what is in flight.
#include "verify/parallel_engine.h"

#include <gtest/gtest.h>

#include <set>

#include "core/text.h"
#include "fakes/fake_check_io.h"
#include "platform/posix/ucontext_fibers.h"

namespace quillet {
namespace {

using testing::FakeHttpClient;
using testing::FakePinger;
using testing::ScriptedCheckIo;

std::vector<std::string> Line(const std::string& ip, const std::string& name = "") {
  return Split("\t" + ip + "\t" + name + "\t\t\t\t\t\t\t", "\t");
}

class ParallelEngineTest : public ::testing::Test {
 protected:
  ParallelEngineTest() {
    settings_.TestHost = "127.0.2.1";
    settings_.TestPath = "/judge";
    settings_.SearchText = "REMOTE_ADDR";
    settings_.FindIP = "127.0.0.1";
    io_.names["proxy.test"] = "127.0.1.3";
    // Thirty rows of every kind: anonymous, not anonymous, not the judge, refused (403), silent
    // to ICMP, dead, by name (resolving or not), without a port, and too short to check.
    for (int i = 1; i <= 30; ++i) {
      std::string address = "127.0.1." + std::to_string(i);
      if (i % 7 != 5) pinger_.statuses[address] = ip_status::kSuccess;
      std::string proxy = address + ":3128";
      switch (i % 6) {
        case 0:
          http_.replies[proxy] = {200, "REMOTE_ADDR = " + address};
          break;
        case 1:
          http_.replies[proxy] = {200, "REMOTE_ADDR X_FORWARDED_FOR 127.0.0.1"};
          break;
        case 2:
          http_.replies[proxy] = {200, "<html>a portal</html>"};
          break;
        case 3:
          http_.replies[proxy] = {403, ""};
          break;
        default:
          break;  // no answer
      }
      if (i == 9)
        lines_.push_back(Line("", "proxy.test:3128"));
      else if (i == 10)
        lines_.push_back(Line("", "nowhere.test:3128"));
      else if (i == 11)
        lines_.push_back(Line("no-port-here"));
      else if (i == 12)
        lines_.push_back({""});
      else
        lines_.push_back(Line(proxy));
    }
  }

  // What the one-at-a-time check gives for each line.
  std::vector<RowCheckOutcome> OneAtATime() {
    RowCheckServices services{http_, pinger_, [this](const std::string& name) {
                                auto found = io_.names.find(name);
                                return found == io_.names.end() ? std::string() : found->second;
                              }};
    std::vector<RowCheckOutcome> outcomes;
    for (const auto& line : lines_) outcomes.push_back(CheckRow(line, settings_, services));
    return outcomes;
  }

  ProbeSettings settings_;
  FakeHttpClient http_;
  FakePinger pinger_;
  ScriptedCheckIo io_{http_, pinger_};
  UcontextFibers fibers_;
  std::vector<std::vector<std::string>> lines_;
};

TEST_F(ParallelEngineTest, everyRowGetsTheOutcomeOfTheOneAtATimeCheck_whateverTheParallelism) {
  std::vector<RowCheckOutcome> expected = OneAtATime();
  for (int jobs : {1, 3, 8, 64}) {
    ParallelEngine engine(io_, fibers_, settings_, jobs);
    for (size_t i = 0; i < lines_.size(); ++i) engine.Add(i, lines_[i]);
    std::vector<size_t> order;
    std::map<size_t, RowCheckOutcome> got;
    for (int round = 0; !engine.Done() && round < 1000; ++round) {
      EXPECT_LE(engine.InFlight(), static_cast<size_t>(jobs));
      for (RowDone& done : engine.Step(10)) {
        order.push_back(done.index);
        got.emplace(done.index, std::move(done.outcome));
      }
    }
    ASSERT_TRUE(engine.Done()) << jobs;
    ASSERT_EQ(got.size(), lines_.size()) << jobs;
    for (size_t i = 0; i < lines_.size(); ++i) {
      SCOPED_TRACE("jobs " + std::to_string(jobs) + ", line " + std::to_string(i));
      EXPECT_EQ(got[i].skipped, expected[i].skipped);
      EXPECT_EQ(got[i].answered, expected[i].answered);
      EXPECT_EQ(got[i].status, expected[i].status);
      EXPECT_EQ(got[i].secure, expected[i].secure);
      EXPECT_EQ(got[i].ping, expected[i].ping);
      EXPECT_EQ(got[i].icon, expected[i].icon);
      EXPECT_EQ(bool(got[i].failure), bool(expected[i].failure));
    }
    if (jobs > 1) {
      EXPECT_FALSE(std::is_sorted(order.begin(), order.end())) << jobs;
    }
  }
}

TEST_F(ParallelEngineTest, cancelAtEight_dropsTheRowsInFlightAndStartsNoOther) {
  io_.hold = true;
  ParallelEngine engine(io_, fibers_, settings_, 8);
  for (size_t i = 0; i < lines_.size(); ++i) engine.Add(i, Line(lines_[0][1]));
  EXPECT_TRUE(engine.Step(0).empty());
  EXPECT_EQ(engine.InFlight(), 8u);
  EXPECT_EQ(io_.Pending(), 8u);  // one echo each
  int started = io_.started;
  engine.Cancel();
  EXPECT_TRUE(engine.Done());
  EXPECT_EQ(engine.InFlight(), 0u);
  EXPECT_EQ(io_.Pending(), 0u);
  EXPECT_EQ(io_.started, started) << "a dropped row went on to its probe";
  EXPECT_TRUE(engine.Step(0).empty());
  EXPECT_EQ(io_.started, started) << "a row started after the cancel";
}

TEST_F(ParallelEngineTest, destroyingARunMidway_endsItsChecks) {
  io_.hold = true;
  {
    ParallelEngine engine(io_, fibers_, settings_, 4);
    for (size_t i = 0; i < 10; ++i) engine.Add(i, lines_[i]);
    engine.Step(0);
    EXPECT_EQ(engine.InFlight(), 4u);
  }
  EXPECT_EQ(io_.Pending(), 0u);
}

}  // namespace
}  // namespace quillet
