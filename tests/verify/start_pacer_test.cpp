// The starts a turn may make: fewer while the loop is late, back up to the jobs once it keeps up.
#include "verify/start_pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillet {
namespace {

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

}  // namespace
}  // namespace quillet
