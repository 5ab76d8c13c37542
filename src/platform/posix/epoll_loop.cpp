#include "platform/posix/epoll_loop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillet {

EpollLoop::EpollLoop() : epoll_(epoll_create1(EPOLL_CLOEXEC)) {
  if (epoll_ < 0) throw std::system_error(errno, std::generic_category(), "epoll_create1");
}

EpollLoop::~EpollLoop() {
  close(epoll_);
}

void EpollLoop::Watch(int fd, uint32_t events, Watcher* watcher) {
  if (fd < 0) return;
  if (static_cast<size_t>(fd) >= watchers_.size()) watchers_.resize(static_cast<size_t>(fd) + 64);
  epoll_event event{};
  event.events = events;
  event.data.fd = fd;
  bool known = watchers_[static_cast<size_t>(fd)] != nullptr;
  watchers_[static_cast<size_t>(fd)] = watcher;
  if (epoll_ctl(epoll_, known ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &event) != 0 && known) {
    // The descriptor was closed and reused behind our back: register it afresh.
    epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
  }
}

void EpollLoop::Unwatch(int fd) {
  if (fd < 0 || static_cast<size_t>(fd) >= watchers_.size()) return;
  if (!watchers_[static_cast<size_t>(fd)]) return;
  watchers_[static_cast<size_t>(fd)] = nullptr;
  epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
}

void EpollLoop::Wait(int timeout_ms) {
  epoll_event events[256];
  int ready = epoll_wait(epoll_, events, 256, timeout_ms);
  for (int i = 0; i < ready; ++i) {
    int fd = events[i].data.fd;
    // An earlier handler of this round may have stopped watching it.
    Watcher* watcher =
        static_cast<size_t>(fd) < watchers_.size() ? watchers_[static_cast<size_t>(fd)] : nullptr;
    if (watcher) watcher->OnReady(fd, events[i].events);
  }
}

}  // namespace quillet
