#include "platform/posix/epoll_loop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillet {
namespace {

uint64_t Tag(int fd, uint32_t registration) {
  return static_cast<uint64_t>(registration) << 32 | static_cast<uint32_t>(fd);
}

}  // namespace

EpollLoop::EpollLoop() : epoll_(epoll_create1(EPOLL_CLOEXEC)) {
  if (epoll_ < 0) throw std::system_error(errno, std::generic_category(), "epoll_create1");
}

EpollLoop::~EpollLoop() {
  close(epoll_);
}

bool EpollLoop::Watch(int fd, uint32_t events, Watcher* watcher) {
  if (fd < 0) return false;
  if (static_cast<size_t>(fd) >= entries_.size()) entries_.resize(static_cast<size_t>(fd) + 64);
  Entry& entry = entries_[static_cast<size_t>(fd)];
  epoll_event event{};
  event.events = events;
  if (entry.watcher) {
    event.data.u64 = Tag(fd, entry.registration);
    entry.watcher = watcher;
    if (epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &event) == 0) return true;
    if (errno != ENOENT) return Unwatch(fd), false;
    // The descriptor was closed and reused behind our back: register it afresh.
  }
  entry.registration = ++next_registration_;
  event.data.u64 = Tag(fd, entry.registration);
  if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
    entry.watcher = nullptr;
    return false;
  }
  entry.watcher = watcher;
  return true;
}

void EpollLoop::Unwatch(int fd) {
  if (fd < 0 || static_cast<size_t>(fd) >= entries_.size()) return;
  Entry& entry = entries_[static_cast<size_t>(fd)];
  if (!entry.watcher) return;
  entry.watcher = nullptr;
  epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
}

// Everything that is ready is handled before the wait returns, not only the first batch: the
// callers expire their deadlines right after, and a reply that is already here must count.
void EpollLoop::Wait(int timeout_ms) {
  constexpr int kBatch = 256;
  epoll_event events[kBatch];
  int ready = epoll_wait(epoll_, events, kBatch, timeout_ms);
  for (;;) {
    if (ready < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "epoll_wait");
    }
    for (int i = 0; i < ready; ++i) Dispatch(events[i]);
    if (ready < kBatch) return;
    ready = epoll_wait(epoll_, events, kBatch, 0);
  }
}

void EpollLoop::Dispatch(const epoll_event& event) {
  int fd = static_cast<int>(event.data.u64 & 0xFFFFFFFFu);
  auto registration = static_cast<uint32_t>(event.data.u64 >> 32);
  // An earlier handler of this round may have stopped watching it, or closed it and let the
  // number be watched again for another socket.
  if (static_cast<size_t>(fd) >= entries_.size()) return;
  Entry& entry = entries_[static_cast<size_t>(fd)];
  if (entry.watcher && entry.registration == registration) entry.watcher->OnReady(fd, event.events);
}

}  // namespace quillet
