#include "verify/background_run.h"

namespace quillet {
namespace {

// How long an engine's thread waits on its loop before it looks for a cancel again.
constexpr int kStepMs = 10;

// The share of `jobs` that engine `engine` of `engines` keeps in flight.
int JobsOf(int engine, int engines, int jobs) {
  return jobs / engines + (engine < jobs % engines ? 1 : 0);
}

}  // namespace

BackgroundRun::BackgroundRun(ParallelBackend& backend, const ProbeSettings& settings, int jobs,
                             Rows rows, bool visit_first, int engines)
    : rows_(std::move(rows)), thread_([this, &backend, settings, jobs, engines, visit_first] {
        Run(backend, settings, std::max(jobs, 1), std::clamp(engines, 1, std::max(jobs, 1)),
            visit_first);
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

// The first failure is the run's; the other engines stop at their next step.
void BackgroundRun::Fail() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!failure_) failure_ = std::current_exception();
  cancel_ = true;
  handed_.notify_one();
}

// Tops the engine up from the queue to its share of jobs, no further: a row that waits in one
// engine while another has room would be late for nothing.
void BackgroundRun::Feed(VerifyEngine& engine) {
  std::lock_guard<std::mutex> lock(queue_mutex_);
  while (next_ < rows_.size() && engine.InFlight() + engine.Waiting() < engine.Jobs()) {
    auto& [index, cells] = rows_[next_++];
    engine.Add(index, std::move(cells));
  }
}

void BackgroundRun::Drive(CheckIo& io, const ProbeSettings& settings, int jobs) {
  VerifyEngine engine(io, settings, jobs);
  while (!cancel_) {
    Feed(engine);
    if (engine.Done()) return;
    Hand(engine.Step(kStepMs));
  }
}

void BackgroundRun::Run(ParallelBackend& backend, ProbeSettings settings, int jobs, int engines,
                        bool visit_first) {
  std::vector<std::thread> others;
  try {
    auto io = backend.MakeIo();
    if (visit_first) {
      DirectVisit visit = VisitTestPage(*io, settings, &cancel_);
      settings.PublicIP = visit.address;
      std::lock_guard<std::mutex> lock(mutex_);
      visit_ = std::move(visit);
      handed_.notify_one();
    }
    for (int engine = 1; engine < engines && !cancel_; ++engine) {
      others.emplace_back([this, &backend, settings, share = JobsOf(engine, engines, jobs)] {
        try {
          Drive(*backend.MakeIo(), settings, share);
        } catch (...) {
          Fail();
        }
      });
    }
    Drive(*io, settings, JobsOf(0, engines, jobs));
  } catch (...) {
    Fail();
  }
  for (std::thread& other : others) other.join();
  std::lock_guard<std::mutex> lock(mutex_);
  over_ = true;
  handed_.notify_one();
}

std::vector<RowEvent> BackgroundRun::Take(int wait_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  handed_.wait_for(lock, std::chrono::milliseconds(wait_ms),
                   [this] { return !ready_.empty() || failure_ || visit_ || over_; });
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

bool BackgroundRun::Over() {
  std::lock_guard<std::mutex> lock(mutex_);
  return over_ && ready_.empty();
}

void BackgroundRun::Cancel() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  ready_.clear();
}

}  // namespace quillet
