#pragma once
// Name look-ups on a few worker threads, so that a slow name service never stalls the event
// loop. Answers come back through an eventfd that the loop watches.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/posix/epoll_loop.h"
#include "verify/check_io.h"
#include "verify/resolver.h"

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
  struct Answer {
    uint64_t id;
    std::string address;
  };

  void OnReady(int fd, uint32_t events) override;
  void Serve();

  EpollLoop& loop_;
  Resolver& resolver_;
  size_t thread_count_;
  int wake_fd_ = -1;
  std::vector<std::thread> threads_;
  std::unordered_map<uint64_t, CheckIo::LookupDone> waiting_;  // loop thread only
  uint64_t next_id_ = 0;

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::deque<std::pair<uint64_t, std::string>> work_;
  std::vector<Answer> answers_;
  bool stopping_ = false;
};

}  // namespace quillet
