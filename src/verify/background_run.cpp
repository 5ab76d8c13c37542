#include "verify/background_run.h"

namespace quillet {
namespace {

// How long the engine's thread waits on its loop before it looks for a cancel again.
constexpr int kStepMs = 20;

}  // namespace

BackgroundRun::BackgroundRun(ParallelBackend& backend, const ProbeSettings& settings, int jobs,
                             Rows rows)
    : thread_([this, &backend, settings, jobs, rows = std::move(rows)]() mutable {
        Run(backend, settings, jobs, std::move(rows));
      }) {}

BackgroundRun::~BackgroundRun() {
  Cancel();
}

void BackgroundRun::Run(ParallelBackend& backend, ProbeSettings settings, int jobs, Rows rows) {
  auto io = backend.MakeIo();
  auto fibers = backend.MakeFibers();
  ParallelEngine engine(*io, *fibers, settings, jobs);
  for (auto& [index, cells] : rows) engine.Add(index, std::move(cells));
  while (!engine.Done()) {
    if (cancel_) {
      engine.Cancel();
      break;
    }
    std::vector<RowDone> done = engine.Step(kStepMs);
    if (done.empty()) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    for (RowDone& row : done) ready_.push_back(std::move(row));
    finished_.notify_one();
  }
}

std::vector<RowDone> BackgroundRun::Take(int wait_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait_for(lock, std::chrono::milliseconds(wait_ms), [this] { return !ready_.empty(); });
  std::vector<RowDone> rows;
  rows.swap(ready_);
  return rows;
}

void BackgroundRun::Cancel() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  ready_.clear();
}

}  // namespace quillet
