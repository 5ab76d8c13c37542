#pragma once
// Name look-ups on a few worker threads, so that a slow name service never stalls the event
// loop. Answers come back through an eventfd that the loop watches. A look-up that hangs is
// abandoned, never waited for: cancelling a run or ending the program does not depend on it.
#include <map>
#include <memory>

#include "net/resolver.h"
#include "platform/posix/epoll_loop.h"
#include "verify/blocking_pool.h"
#include "verify/check_io.h"

namespace quillet {

class LookupPool : public EpollLoop::Watcher {
 public:
  LookupPool(EpollLoop& loop, Resolver& resolver, size_t threads = 4);
  ~LookupPool() override;
  LookupPool(const LookupPool&) = delete;
  LookupPool& operator=(const LookupPool&) = delete;

  void Start(const std::string& name, CheckIo::LookupDone& done);
  // Answers every look-up still waiting as not resolved; their late answers are dropped.
  void AbortAll();

 private:
  void OnReady(int fd, uint32_t events) override;

  EpollLoop& loop_;
  Resolver& resolver_;
  int wake_fd_ = -1;
  std::unique_ptr<BlockingPool> pool_;
  uint64_t next_id_ = 0;
  std::map<uint64_t, CheckIo::LookupDone> waiting_;
};

}  // namespace quillet
