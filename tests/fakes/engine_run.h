#pragma once
// An engine run to its end over the rows of a list: what the engine tests and the farm tests
// read back.
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/text.h"
#include "verify/verify_engine.h"

namespace quillet::testing {

// The cells of a list row that names only its proxy.
inline std::vector<std::string> ProxyCells(const std::string& proxy) {
  return Split("\t" + proxy + "\t\t\t\t\t\t\t\t", "\t");
}

struct EngineRun {
  std::map<size_t, RowCheckOutcome> done;                      // by row index, as given to Add
  std::map<size_t, std::chrono::steady_clock::duration> took;  // from its start to its end
  std::vector<size_t> started;                                 // rows in the order they started
  size_t most_in_flight = 0;
  size_t steps = 0;                          // rounds of the engine's loop
  std::chrono::steady_clock::duration wall;  // of the whole run
};

// Queues `rows` (their cells, the row index their position) on an engine of `jobs` over `io` and
// steps it, waiting `step_ms` a step, until it is done or `seconds` have passed.
inline EngineRun RunEngine(CheckIo& io, const ProbeSettings& settings, int jobs,
                           const std::vector<std::vector<std::string>>& rows, int step_ms = 0,
                           int seconds = 60) {
  VerifyEngine engine(io, settings, jobs);
  for (size_t i = 0; i < rows.size(); ++i) engine.Add(i, rows[i]);
  EngineRun run;
  using Clock = std::chrono::steady_clock;
  std::map<size_t, Clock::time_point> started_at;
  auto begun = Clock::now();
  auto deadline = begun + std::chrono::seconds(seconds);
  for (; !engine.Done() && Clock::now() < deadline; ++run.steps) {
    for (RowEvent& event : engine.Step(step_ms)) {
      if (event.started) {
        run.started.push_back(event.index);
        started_at[event.index] = Clock::now();
      } else {
        run.took[event.index] = Clock::now() - started_at[event.index];
        run.done.emplace(event.index, std::move(event.outcome));
      }
    }
    run.most_in_flight = std::max(run.most_in_flight, engine.InFlight());
  }
  run.wall = Clock::now() - begun;
  return run;
}

}  // namespace quillet::testing
