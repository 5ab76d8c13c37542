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

void EpollLoop::Wait(int timeout_ms) {
  epoll_event events[256];
  int ready = epoll_wait(epoll_, events, 256, timeout_ms);
  if (ready < 0 && errno != EINTR) {
    throw std::system_error(errno, std::generic_category(), "epoll_wait");
  }
  for (int i = 0; i < ready; ++i) {
    int fd = static_cast<int>(events[i].data.u64 & 0xFFFFFFFFu);
    auto registration = static_cast<uint32_t>(events[i].data.u64 >> 32);
    // An earlier handler of this round may have stopped watching it, or closed it and let the
    // number be watched again for another socket.
    if (static_cast<size_t>(fd) >= entries_.size()) continue;
    Entry& entry = entries_[static_cast<size_t>(fd)];
    if (entry.watcher && entry.registration == registration)
      entry.watcher->OnReady(fd, events[i].events);
  }
}

}  // namespace quillet
