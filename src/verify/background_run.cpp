#include "verify/background_run.h"

namespace quillet {
namespace {

// How long the engine's thread waits on its loop before it looks for a cancel again.
constexpr int kStepMs = 10;

}  // namespace

BackgroundRun::BackgroundRun(ParallelBackend& backend, const ProbeSettings& settings, int jobs,
                             Rows rows, bool visit_first)
    : thread_([this, &backend, settings, jobs, rows = std::move(rows), visit_first]() mutable {
        Run(backend, settings, jobs, std::move(rows), visit_first);
      }) {}

BackgroundRun::~BackgroundRun() {
  Cancel();
}

void BackgroundRun::Hand(std::vector<RowEvent> events) {
  if (events.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  for (RowEvent& event : events) ready_.push_back(std::move(event));
  handed_.notify_one();
}

void BackgroundRun::Run(ParallelBackend& backend, ProbeSettings settings, int jobs, Rows rows,
                        bool visit_first) {
  try {
    auto io = backend.MakeIo();
    if (visit_first) {
      DirectVisit visit = VisitTestPage(*io, settings, &cancel_);
      settings.PublicIP = visit.address;
      std::lock_guard<std::mutex> lock(mutex_);
      visit_ = std::move(visit);
      handed_.notify_one();
    }
    VerifyEngine engine(*io, settings, jobs);
    for (auto& [index, cells] : rows) engine.Add(index, std::move(cells));
    while (!engine.Done() && !cancel_) Hand(engine.Step(kStepMs));
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = std::current_exception();
    handed_.notify_one();
  }
}

std::vector<RowEvent> BackgroundRun::Take(int wait_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  handed_.wait_for(lock, std::chrono::milliseconds(wait_ms),
                   [this] { return !ready_.empty() || failure_ || visit_; });
  std::vector<RowEvent> events;
  events.swap(ready_);
  return events;
}

std::optional<DirectVisit> BackgroundRun::TakeVisit() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<DirectVisit> visit;
  visit.swap(visit_);
  return visit;
}

std::exception_ptr BackgroundRun::Failure() {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

void BackgroundRun::Cancel() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  ready_.clear();
}

}  // namespace quillet
