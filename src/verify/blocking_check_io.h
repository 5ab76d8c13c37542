#pragma once
// Check I/O over the blocking ports (HttpClient, Pinger, Resolver): each call runs on a worker of
// a small pool and its answer resumes the row on the engine's thread. This is how platforms whose
// HTTP and ICMP libraries only block (WinINet, the ICMP library) run many rows at once.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "net/resolver.h"
#include "verify/blocking_pool.h"
#include "verify/check_io.h"
#include "verify/parallel_backend.h"

namespace quillet {

struct BlockingPorts {
  HttpClient& http;
  Pinger& pinger;
  Resolver& resolver;
};

class BlockingCheckIo : public CheckIo {
 public:
  BlockingCheckIo(BlockingPorts ports, size_t threads);

  void StartGet(const HttpRequest& request, GetDone done) override;
  void StartEcho(uint32_t address, const std::string& payload, int32_t timeout_ms,
                 EchoDone done) override;
  void StartConnect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoDone done) override;
  void StartLookup(const std::string& name, LookupDone done) override;
  void RunOnce(int max_wait_ms) override;
  void AbortAll() override;

 private:
  // Runs `call` on the pool; `answer` takes its result on this thread unless aborted first, in
  // which case `abort` runs instead.
  void Start(std::function<std::function<void()>()> call, std::function<void()> abort);
  void StartPing(std::function<bool(EchoReply&)> ping, EchoDone done);

  BlockingPorts ports_;
  BlockingPool pool_;
  uint64_t next_id_ = 0;
  std::map<uint64_t, std::function<void()>> aborts_;  // the operations still waiting
};

// A backend that runs the engine over the blocking ports.
class BlockingPortsBackend : public ParallelBackend {
 public:
  explicit BlockingPortsBackend(BlockingPorts ports, size_t threads = 16)
      : ports_(ports), threads_(threads) {}
  std::unique_ptr<CheckIo> MakeIo() override {
    return std::make_unique<BlockingCheckIo>(ports_, threads_);
  }
  uint64_t RaiseOpenFiles(uint64_t wanted) override { return wanted; }

 private:
  BlockingPorts ports_;
  size_t threads_;
};

}  // namespace quillet
