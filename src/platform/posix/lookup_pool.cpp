#include "platform/posix/lookup_pool.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "verify/socket_layer.h"

namespace quillet {

LookupPool::LookupPool(EpollLoop& loop, Resolver& resolver, size_t threads)
    : loop_(loop), resolver_(resolver), thread_count_(threads) {}

LookupPool::~LookupPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    work_.clear();
  }
  work_ready_.notify_all();
  for (auto& thread : threads_) thread.join();
  if (wake_fd_ >= 0) {
    loop_.Unwatch(wake_fd_);
    close(wake_fd_);
  }
}

void LookupPool::Start(const std::string& name, CheckIo::LookupDone& done) {
  if (threads_.empty()) {
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    loop_.Watch(wake_fd_, EPOLLIN, this);
    for (size_t i = 0; i < thread_count_; ++i) threads_.emplace_back([this] { Serve(); });
  }
  uint64_t id = next_id_++;
  waiting_.emplace(id, std::move(done));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    work_.emplace_back(id, name);
  }
  work_ready_.notify_one();
}

void LookupPool::Serve() {
  for (;;) {
    std::pair<uint64_t, std::string> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || !work_.empty(); });
      if (stopping_) return;
      job = std::move(work_.front());
      work_.pop_front();
    }
    std::string address = NameToAddress(resolver_, job.second);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      answers_.push_back({job.first, std::move(address)});
    }
    uint64_t one = 1;
    if (write(wake_fd_, &one, sizeof one) < 0) {
      // The counter is saturated: the loop is woken already.
    }
  }
}

void LookupPool::OnReady(int fd, uint32_t) {
  uint64_t count;
  if (read(fd, &count, sizeof count) < 0) {
    // Nothing to clear: another round drained it.
  }
  std::vector<Answer> answers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    answers.swap(answers_);
  }
  for (Answer& answer : answers) {
    auto found = waiting_.find(answer.id);
    if (found == waiting_.end()) continue;  // aborted meanwhile
    CheckIo::LookupDone done = std::move(found->second);
    waiting_.erase(found);
    done(std::move(answer.address));
  }
}

void LookupPool::AbortAll() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    work_.clear();
  }
  auto waiting = std::move(waiting_);
  waiting_.clear();
  for (auto& [id, done] : waiting) done("");
}

}  // namespace quillet
