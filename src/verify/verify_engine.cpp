#include "verify/verify_engine.h"

#include <algorithm>
#include <chrono>

namespace quillet {

VerifyEngine::VerifyEngine(CheckIo& io, const ProbeSettings& settings, int jobs)
    : io_(io), settings_(settings), jobs_(static_cast<size_t>(std::max(jobs, 1))), pacer_(jobs_) {}

VerifyEngine::~VerifyEngine() {
  if (!running_.empty()) Cancel();
}

void VerifyEngine::Add(size_t index, std::vector<std::string> cells) {
  queue_.push_back({index, std::move(cells)});
}

// A row whose coroutine has ended is reported (unless the run was cancelled) and forgotten.
void VerifyEngine::Settle(void* address) {
  auto found = running_.find(address);
  if (found == running_.end() || !found->second.task.Done()) return;
  RowEvent event{found->second.index, false, {}};
  auto& promise = found->second.task.Promise();
  if (promise.value) event.outcome = std::move(*promise.value);
  if (promise.failure) event.outcome.failure = promise.failure;
  running_.erase(found);
  if (!cancelled_) events_.push_back(std::move(event));
}

void VerifyEngine::StartRows(size_t& starts) {
  for (; starts > 0 && !cancelled_ && running_.size() < jobs_ && !queue_.empty(); --starts) {
    Queued row = std::move(queue_.front());
    queue_.pop_front();
    events_.push_back({row.index, true, {}});
    Task<RowCheckOutcome> task =
        CheckRow(std::move(row.cells), settings_, RowWaits{io_, wakeups_, cancelled_});
    void* address = task.Address();
    running_.emplace(address, Running{row.index, std::move(task)});
    running_.at(address).task.Resume();
    Settle(address);
  }
}

void VerifyEngine::ResumeWoken() {
  while (!wakeups_.empty()) {
    Wakeups batch;
    batch.swap(wakeups_);
    for (auto waiting : batch) {
      waiting.resume();
      Settle(waiting.address());
    }
  }
}

std::vector<RowEvent> VerifyEngine::Step(int max_wait_ms) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point begun = Clock::now();
  size_t starts = pacer_.Allowed();
  StartRows(starts);
  ResumeWoken();
  int wait_ms = 0;
  if (!Done()) {
    wait_ms = wakeups_.empty() ? max_wait_ms : 0;
    io_.RunOnce(wait_ms);
    ResumeWoken();
    StartRows(starts);
  }
  auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begun);
  if (wait_ms >= 0) pacer_.NoteTurn(took - std::chrono::milliseconds(wait_ms));
  std::vector<RowEvent> events;
  events.swap(events_);
  return events;
}

void VerifyEngine::Cancel() {
  cancelled_ = true;
  queue_.clear();
  io_.AbortAll();
  ResumeWoken();
  running_.clear();
  events_.clear();
}

}  // namespace quillet
