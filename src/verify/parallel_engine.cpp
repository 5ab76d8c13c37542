#include "verify/parallel_engine.h"

#include <algorithm>

namespace quillet {

struct ParallelEngine::Worker {
  std::unique_ptr<Fiber> fiber;
};

// The ports a row check calls, answered by the event loop while the check's fiber waits.
class ParallelEngine::Waits : public HttpClient, public Pinger {
 public:
  explicit Waits(ParallelEngine& engine) : engine_(engine) {}

  HttpReply Get(const HttpRequest& request) override {
    HttpReply reply;
    if (engine_.cancelled_) return reply;
    engine_.Await([&](std::function<void()> wake) {
      engine_.io_.StartGet(request, [&reply, wake](HttpReply got) {
        reply = std::move(got);
        wake();
      });
    });
    return reply;
  }

  bool Echo(uint32_t address, const std::string& payload, int32_t timeout_ms,
            EchoReply& reply) override {
    bool opened = true;
    if (engine_.cancelled_) {
      reply.status = ip_status::kRequestTimedOut;
      return opened;
    }
    engine_.Await([&](std::function<void()> wake) {
      engine_.io_.StartEcho(address, payload, timeout_ms,
                            [&opened, &reply, wake](bool ok, const EchoReply& got) {
                              opened = ok;
                              if (ok) reply = got;
                              wake();
                            });
    });
    return opened;
  }

  std::string Lookup(const std::string& name) {
    std::string address;
    if (engine_.cancelled_) return address;
    engine_.Await([&](std::function<void()> wake) {
      engine_.io_.StartLookup(name, [&address, wake](std::string got) {
        address = std::move(got);
        wake();
      });
    });
    return address;
  }

 private:
  ParallelEngine& engine_;
};

ParallelEngine::ParallelEngine(CheckIo& io, FiberFactory& fibers, const ProbeSettings& settings,
                               int jobs)
    : io_(io),
      fibers_(fibers),
      settings_(settings),
      jobs_(static_cast<size_t>(std::max(jobs, 1))),
      waits_(std::make_unique<Waits>(*this)) {}

ParallelEngine::~ParallelEngine() {
  if (in_flight_ > 0) Cancel();
}

void ParallelEngine::Add(size_t index, std::vector<std::string> cells) {
  queue_.push_back({index, std::move(cells)});
}

bool ParallelEngine::Done() const {
  return in_flight_ == 0 && (cancelled_ || next_ == queue_.size());
}

void ParallelEngine::Await(const std::function<void(std::function<void()>)>& start) {
  Worker* me = current_;
  auto ready = std::make_shared<bool>(false);
  start([this, me, ready] {
    *ready = true;
    runnable_.push_back(me);
  });
  // A wake-up meant for an earlier wait may resume the fiber early: wait for our own.
  while (!*ready) fibers_.Suspend();
}

void ParallelEngine::Work() {
  RowCheckServices services{*waits_, *waits_,
                            [this](const std::string& name) { return waits_->Lookup(name); }};
  while (!cancelled_ && next_ < queue_.size()) {
    Queued row = std::move(queue_[next_++]);
    ++in_flight_;
    RowCheckOutcome outcome = CheckRow(row.cells, settings_, services);
    --in_flight_;
    if (!cancelled_) finished_.push_back({row.index, std::move(outcome)});
  }
  ++retired_;
}

void ParallelEngine::StartWorkers() {
  if (next_ >= queue_.size()) return;  // workers end only once every row is taken
  if (retired_ > 0) {
    std::erase_if(workers_, [](const auto& worker) { return worker->fiber->Finished(); });
    retired_ = 0;
  }
  while (!cancelled_ && workers_.size() < jobs_ && next_ < queue_.size()) {
    auto worker = std::make_unique<Worker>();
    worker->fiber = fibers_.Make([this] { Work(); });
    Worker* started = worker.get();
    workers_.push_back(std::move(worker));
    current_ = started;
    started->fiber->Resume();
    current_ = nullptr;
  }
}

void ParallelEngine::ResumeRunnable() {
  while (!runnable_.empty()) {
    std::vector<Worker*> batch;
    batch.swap(runnable_);
    for (Worker* worker : batch) {
      current_ = worker;
      worker->fiber->Resume();
      current_ = nullptr;
    }
  }
}

std::vector<RowDone> ParallelEngine::Step(int max_wait_ms) {
  StartWorkers();
  ResumeRunnable();
  if (!Done()) {
    io_.RunOnce(runnable_.empty() ? max_wait_ms : 0);
    ResumeRunnable();
    StartWorkers();
  }
  std::vector<RowDone> done;
  done.swap(finished_);
  return done;
}

void ParallelEngine::Cancel() {
  cancelled_ = true;
  io_.AbortAll();
  ResumeRunnable();
  finished_.clear();
}

}  // namespace quillet
