#pragma once
// The one engine that checks proxy rows, whether one at a time or thousands at once: each row is
// a coroutine (CheckRow) whose waits go to the event loop, and at most `jobs` rows are in flight.
// It reports when a row starts and when it ends, in the order that happened. While the loop is
// late, fewer new rows start (StartPacer), so that the rows in flight are read in time.
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "verify/check_io.h"
#include "verify/probe_settings.h"
#include "verify/row_check.h"
#include "verify/start_pacer.h"

namespace quillet {

struct RowEvent {
  size_t index = 0;         // as given to Add
  bool started = false;     // true: the row's check has begun; false: it has ended
  RowCheckOutcome outcome;  // when ended
};

class VerifyEngine {
 public:
  VerifyEngine(CheckIo& io, const ProbeSettings& settings, int jobs);
  ~VerifyEngine();
  VerifyEngine(const VerifyEngine&) = delete;
  VerifyEngine& operator=(const VerifyEngine&) = delete;

  // Queues a row: the cells of a checkable line, as CheckRow takes them. Rows start in the order
  // they were queued.
  void Add(size_t index, std::vector<std::string> cells);
  // Starts queued rows up to the number of jobs, waits at most `max_wait_ms` on the event loop
  // and gives what happened meanwhile.
  std::vector<RowEvent> Step(int max_wait_ms);
  // Every queued row has ended (or was dropped by Cancel).
  bool Done() const { return running_.empty() && (cancelled_ || queue_.empty()); }
  size_t InFlight() const { return running_.size(); }
  // Rows queued that have not started yet.
  size_t Waiting() const { return queue_.size(); }
  size_t Jobs() const { return jobs_; }
  // No further row starts; the rows in flight end at once and are never reported.
  void Cancel();

 private:
  struct Queued {
    size_t index;
    std::vector<std::string> cells;
  };
  struct Running {
    size_t index;
    Task<RowCheckOutcome> task;
  };

  void StartRows(size_t& starts);
  void ResumeWoken();
  void Settle(void* address);

  CheckIo& io_;
  ProbeSettings settings_;
  size_t jobs_;
  StartPacer pacer_;
  bool cancelled_ = false;
  std::deque<Queued> queue_;
  std::unordered_map<void*, Running> running_;  // by coroutine frame
  Wakeups wakeups_;
  std::vector<RowEvent> events_;
};

}  // namespace quillet
