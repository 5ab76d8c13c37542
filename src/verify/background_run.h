#pragma once
// A run of the engine on threads of its own: one engine per thread, each with its own event loop,
// all fed from one queue of rows (a row stays on the engine that took it). What happens to the
// rows is handed to the caller's thread, which never waits on the network.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <optional>

#include "verify/parallel_backend.h"
#include "verify/public_address.h"
#include "verify/verify_engine.h"

namespace quillet {

class BackgroundRun {
 public:
  using Rows = std::vector<std::pair<size_t, std::vector<std::string>>>;

  // With `visit_first`, the test page is first visited without a proxy and the address the judge
  // saw is the own address of the checks.
  // The `jobs` rows in flight are shared out among `engines` (see EnginesFor). A run that is
  // `open` takes further rows (Append) until it is closed (Close).
  BackgroundRun(ParallelBackend& backend, const ProbeSettings& settings, int jobs, Rows rows,
                bool visit_first = false, int engines = 1, bool open = false);
  // Cancels what is still running.
  ~BackgroundRun();
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  // What happened since the last call; waits at most `wait_ms` when nothing has yet.
  std::vector<RowEvent> Take(int wait_ms);
  // Rows after those given at the start, for an open run: a long list need not be copied whole
  // before its first row starts.
  void Append(Rows rows);
  // No further rows come: the run ends with the rows it has.
  void Close();
  // Rows no engine has taken yet.
  size_t Queued();
  // The direct visit of the test page, once it has ended (given once).
  std::optional<DirectVisit> TakeVisit();
  // The failure that ended the engine (its loop or its resources), if any.
  std::exception_ptr Failure();
  // Every engine has stopped (all rows ended, a failure, or a cancel) and every event was taken.
  bool Over();
  // No further row starts, the rows in flight are dropped. Returns within one step of the
  // engine: nothing it waits for (a fetch, an echo, a look-up) is waited for to its end.
  void Cancel();

 private:
  void Run(ParallelBackend& backend, ProbeSettings settings, int jobs, int engines,
           bool visit_first);
  void Drive(CheckIo& io, const ProbeSettings& settings, int jobs);
  bool Feed(VerifyEngine& engine);
  void Hand(std::vector<RowEvent> events);
  void Fail();

  std::mutex mutex_;
  std::condition_variable handed_;
  std::vector<RowEvent> ready_;
  std::optional<DirectVisit> visit_;
  std::exception_ptr failure_;
  bool over_ = false;
  std::atomic<bool> cancel_{false};
  std::mutex queue_mutex_;
  std::condition_variable queue_grown_;
  std::deque<Rows::value_type> rows_;  // not taken by an engine yet
  bool closed_ = true;
  std::thread thread_;
};

}  // namespace quillet
