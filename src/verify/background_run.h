#pragma once
// A parallel run on a thread of its own: the engine, its event loop and its fibers live there,
// and the rows that finish are handed to the window's thread, which never waits on the network.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "verify/parallel_backend.h"
#include "verify/parallel_engine.h"

namespace quillet {

class BackgroundRun {
 public:
  using Rows = std::vector<std::pair<size_t, std::vector<std::string>>>;

  BackgroundRun(ParallelBackend& backend, const ProbeSettings& settings, int jobs, Rows rows);
  // Cancels what is still running.
  ~BackgroundRun();
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  // The rows finished since the last call; waits at most `wait_ms` when there are none yet.
  std::vector<RowDone> Take(int wait_ms);
  // No further row starts, the rows in flight are dropped; returns once the thread has ended.
  void Cancel();

 private:
  void Run(ParallelBackend& backend, ProbeSettings settings, int jobs, Rows rows);

  std::mutex mutex_;
  std::condition_variable finished_;
  std::vector<RowDone> ready_;
  std::atomic<bool> cancel_{false};
  std::thread thread_;
};

}  // namespace quillet
