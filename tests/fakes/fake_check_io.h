#pragma once
// Check I/O answered from the scripted HTTP and ICMP fakes. Operations end only in RunOnce, a
// few per round and the latest started first, so rows finish out of their order; with `hold` set
// they never end by themselves (only AbortAll ends them).
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "fakes/fake_verify_ports.h"
#include "verify/check_io.h"
#include "verify/parallel_backend.h"

namespace quillet::testing {

class ScriptedCheckIo : public CheckIo {
 public:
  ScriptedCheckIo(FakeHttpClient& http, FakePinger& pinger) : http_(http), pinger_(pinger) {}

  std::map<std::string, std::string> names;  // look-up answers; other names do not resolve
  std::atomic<bool> hold{false};
  std::atomic<int> started{0};

  size_t Pending() const { return pending_.size(); }

  void StartGet(const HttpRequest& request, GetDone done) override {
    Queue([this, request, done] { done(http_.Get(request)); }, [done] { done(HttpReply{}); });
  }
  void StartEcho(uint32_t address, const std::string& payload, int32_t timeout_ms,
                 EchoDone done) override {
    QueueEcho([=, this](EchoReply& r) { return pinger_.Echo(address, payload, timeout_ms, r); },
              done);
  }
  void StartConnect(uint32_t address, uint16_t port, int32_t, EchoDone done) override {
    QueueEcho([=, this](EchoReply& r) { return pinger_.Connect(address, port, 0, r); }, done);
  }
  void StartLookup(const std::string& name, LookupDone done) override {
    Queue(
        [=, this] {
          auto found = names.find(name);
          done(found == names.end() ? std::string() : found->second);
        },
        [done] { done(""); });
  }
  void RunOnce(int) override {
    for (int i = 0; i < 3 && !hold && !pending_.empty(); ++i) {
      auto end = std::move(pending_.back());
      pending_.pop_back();
      end.answer();
    }
  }
  void AbortAll() override {
    auto pending = std::move(pending_);
    pending_.clear();
    for (auto& end : pending) end.abort();
  }

 private:
  struct End {
    std::function<void()> answer;
    std::function<void()> abort;
  };
  // An echo or a TCP ping: `ask` fills the reply and says whether a socket opened; an abort is
  // a time-out.
  void QueueEcho(std::function<bool(EchoReply&)> ask, EchoDone done) {
    auto answer = [ask, done] {
      EchoReply reply;
      bool opened = ask(reply);
      done(opened, reply);
    };
    Queue(answer, [done] {
      EchoReply reply;
      reply.status = ip_status::kRequestTimedOut;
      done(true, reply);
    });
  }
  void Queue(std::function<void()> answer, std::function<void()> abort) {
    ++started;
    pending_.push_back({std::move(answer), std::move(abort)});
  }

  FakeHttpClient& http_;
  FakePinger& pinger_;
  std::vector<End> pending_;
};

// A backend whose I/O is a ScriptedCheckIo owned by the test, with no limit on open files.
class ScriptedParallelBackend : public ParallelBackend {
 public:
  explicit ScriptedParallelBackend(CheckIo& io) : io_(io) {}

  std::unique_ptr<CheckIo> MakeIo() override { return std::make_unique<Forward>(io_); }
  uint64_t RaiseOpenFiles(uint64_t wanted) override { return wanted; }

 private:
  class Forward : public CheckIo {
   public:
    explicit Forward(CheckIo& io) : io_(io) {}
    void StartGet(const HttpRequest& r, GetDone d) override { io_.StartGet(r, d); }
    void StartEcho(uint32_t a, const std::string& p, int32_t t, EchoDone d) override {
      io_.StartEcho(a, p, t, d);
    }
    void StartConnect(uint32_t a, uint16_t p, int32_t t, EchoDone d) override {
      io_.StartConnect(a, p, t, d);
    }
    void StartLookup(const std::string& n, LookupDone d) override { io_.StartLookup(n, d); }
    void RunOnce(int wait) override { io_.RunOnce(wait); }
    void AbortAll() override { io_.AbortAll(); }

   private:
    CheckIo& io_;
  };

  CheckIo& io_;
};

}  // namespace quillet::testing
