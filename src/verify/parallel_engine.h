#pragma once
// Many proxy rows checked at once on one thread. Every row runs the very same row check as the
// one-at-a-time run; it runs on a fiber whose waits (fetch, echo, look-up) go to the event loop
// instead of blocking, so a thousand rows in flight cost a thousand small stacks, not threads.
#include <cstddef>
#include <memory>
#include <vector>

#include "verify/check_io.h"
#include "verify/fibers.h"
#include "verify/probe_settings.h"
#include "verify/row_check.h"

namespace quillet {

struct RowDone {
  size_t index = 0;  // as given to Add
  RowCheckOutcome outcome;
};

class ParallelEngine {
 public:
  ParallelEngine(CheckIo& io, FiberFactory& fibers, const ProbeSettings& settings, int jobs);
  ~ParallelEngine();
  ParallelEngine(const ParallelEngine&) = delete;
  ParallelEngine& operator=(const ParallelEngine&) = delete;

  // Queues a row: the cells of a selected line, as CheckRow takes them.
  void Add(size_t index, std::vector<std::string> cells);
  // Starts queued rows up to the number of jobs, waits at most `max_wait_ms` on the event loop
  // and gives the rows that finished meanwhile, in the order they finished.
  std::vector<RowDone> Step(int max_wait_ms);
  // Every queued row has finished (or was dropped by Cancel).
  bool Done() const;
  size_t InFlight() const { return in_flight_; }
  // No further row starts; the rows in flight end at once and are never given back.
  void Cancel();

 private:
  struct Worker;
  class Waits;
  struct Queued {
    size_t index;
    std::vector<std::string> cells;
  };

  void StartWorkers();
  void Work();
  void ResumeRunnable();
  // Suspends the running check until `start`'s operation calls the wake-up it was given.
  void Await(const std::function<void(std::function<void()> wake)>& start);

  CheckIo& io_;
  FiberFactory& fibers_;
  ProbeSettings settings_;
  size_t jobs_;
  std::unique_ptr<Waits> waits_;
  std::vector<Queued> queue_;
  size_t next_ = 0;
  size_t in_flight_ = 0;
  bool cancelled_ = false;
  std::vector<std::unique_ptr<Worker>> workers_;
  size_t retired_ = 0;  // workers whose fiber has ended since the last clean-up
  std::vector<Worker*> runnable_;
  Worker* current_ = nullptr;
  std::vector<RowDone> finished_;
};

}  // namespace quillet
