#pragma once
// A small epoll loop: file descriptors with the object that handles them, and one wait.
#include <cstdint>
#include <vector>

namespace quillet {

class EpollLoop {
 public:
  class Watcher {
   public:
    virtual ~Watcher() = default;
    virtual void OnReady(int fd, uint32_t events) = 0;
  };

  EpollLoop();
  ~EpollLoop();
  EpollLoop(const EpollLoop&) = delete;
  EpollLoop& operator=(const EpollLoop&) = delete;

  // Starts or changes watching `fd` for `events` (EPOLLIN, EPOLLOUT).
  void Watch(int fd, uint32_t events, Watcher* watcher);
  void Unwatch(int fd);
  // Waits at most `timeout_ms` (-1: no bound) and tells the watchers of the ready descriptors.
  void Wait(int timeout_ms);

 private:
  int epoll_ = -1;
  std::vector<Watcher*> watchers_;  // by descriptor
};

}  // namespace quillet
