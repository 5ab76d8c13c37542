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
                             Rows rows, bool visit_first, int engines, bool open)
    : rows_(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end())),
      closed_(!open),
      thread_([this, &backend, settings, jobs, engines, visit_first] {
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
// engine while another has room would be late for nothing. An engine with nothing to do waits
// a step for rows of an open run. False when the engine is done and no row is left to come.
bool BackgroundRun::Feed(VerifyEngine& engine) {
  std::unique_lock<std::mutex> lock(queue_mutex_);
  if (engine.Done()) {
    queue_grown_.wait_for(lock, std::chrono::milliseconds(kStepMs),
                          [this] { return !rows_.empty() || closed_ || cancel_; });
  }
  while (!rows_.empty() && engine.InFlight() + engine.Waiting() < engine.Jobs()) {
    engine.Add(rows_.front().first, std::move(rows_.front().second));
    rows_.pop_front();
  }
  return !(engine.Done() && rows_.empty() && closed_);
}

void BackgroundRun::Drive(CheckIo& io, const ProbeSettings& settings, int jobs) {
  VerifyEngine engine(io, settings, jobs);
  while (!cancel_ && Feed(engine)) Hand(engine.Step(kStepMs));
}

void BackgroundRun::Append(Rows rows) {
  std::lock_guard<std::mutex> lock(queue_mutex_);
  for (auto& row : rows) rows_.push_back(std::move(row));
  queue_grown_.notify_all();
}

void BackgroundRun::Close() {
  std::lock_guard<std::mutex> lock(queue_mutex_);
  closed_ = true;
  queue_grown_.notify_all();
}

size_t BackgroundRun::Queued() {
  std::lock_guard<std::mutex> lock(queue_mutex_);
  return rows_.size();
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
