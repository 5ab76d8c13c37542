#pragma once
// Proxy checks on Linux: epoll with curl multi, multiplexed ICMP, look-up threads, and the
// RLIMIT_NOFILE limit.
#include "net/resolver.h"
#include "verify/parallel_backend.h"

namespace quillet {

class PosixParallelBackend : public ParallelBackend {
 public:
  explicit PosixParallelBackend(Resolver& resolver) : resolver_(resolver) {}
  std::unique_ptr<CheckIo> MakeIo() override;
  uint64_t RaiseOpenFiles(uint64_t wanted) override;

 private:
  Resolver& resolver_;
};

}  // namespace quillet
