#include "platform/posix/lookup_pool.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "net/socket_layer.h"

namespace quillet {

LookupPool::LookupPool(EpollLoop& loop, Resolver& resolver, size_t threads)
    : loop_(loop), resolver_(resolver), wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (wake_fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  if (!loop_.Watch(wake_fd_, EPOLLIN, this)) {
    int error = errno;
    close(wake_fd_);
    throw std::system_error(error, std::generic_category(), "epoll_ctl (look-up answers)");
  }
  pool_ = std::make_unique<BlockingPool>(threads, [fd = wake_fd_] {
    uint64_t one = 1;
    if (write(fd, &one, sizeof one) < 0) {
      // The counter is saturated: the loop is woken already.
    }
  });
}

LookupPool::~LookupPool() {
  pool_.reset();  // no worker writes to the eventfd from here on
  loop_.Unwatch(wake_fd_);
  close(wake_fd_);
}

void LookupPool::Start(const std::string& name, CheckIo::LookupDone& done) {
  uint64_t id = next_id_++;
  waiting_.emplace(id, std::move(done));
  pool_->Post([this, id, name, &resolver = resolver_]() -> BlockingPool::Answer {
    std::string address = NameToAddress(resolver, name);
    return [this, id, address] {
      auto found = waiting_.find(id);
      if (found == waiting_.end()) return;
      CheckIo::LookupDone done = std::move(found->second);
      waiting_.erase(found);
      done(address);
    };
  });
}

void LookupPool::OnReady(int fd, uint32_t) {
  uint64_t count;
  if (read(fd, &count, sizeof count) < 0) {
    // Nothing to clear: another round drained it.
  }
  pool_->RunAnswers();
}

void LookupPool::AbortAll() {
  pool_->DropAll();
  auto waiting = std::move(waiting_);
  waiting_.clear();
  for (auto& [id, done] : waiting) done("");
}

}  // namespace quillet
