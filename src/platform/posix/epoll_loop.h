#pragma once
// A small epoll loop: file descriptors with the object that handles them, and one wait.
// Each registration carries its own number, so an event reported for a descriptor that was
// closed and reused during the same round never reaches the new owner.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

struct epoll_event;

namespace quillet {

// The wait in milliseconds from `now` until `due`, never below 0. Rounded up: a wait of 0 for a
// deadline within the millisecond would spin the loop until it.
inline int WaitMsUntil(std::chrono::steady_clock::time_point due,
                       std::chrono::steady_clock::time_point now) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now);
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

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

  // Starts or changes watching `fd` for `events` (EPOLLIN, EPOLLOUT). False when the system
  // refused the registration (the descriptor is then not watched).
  [[nodiscard]] bool Watch(int fd, uint32_t events, Watcher* watcher);
  void Unwatch(int fd);
  // Waits at most `timeout_ms` (-1: no bound) and tells the watchers of the ready descriptors.
  void Wait(int timeout_ms);

 private:
  struct Entry {
    Watcher* watcher = nullptr;
    uint32_t registration = 0;
  };

  void Dispatch(const epoll_event& event);

  int epoll_ = -1;
  uint32_t next_registration_ = 0;
  std::vector<Entry> entries_;  // by descriptor
};

}  // namespace quillet
