#include "verify/blocking_pool.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace quillet {

struct BlockingPool::State {
  std::mutex mutex;
  std::condition_variable work_ready;
  std::condition_variable answer_ready;
  std::deque<std::pair<uint64_t, Work>> work;
  std::vector<Answer> answers;
  std::function<void()> notify;
  uint64_t generation = 0;  // work of an older generation was dropped
  size_t max_threads = 1;
  size_t threads = 0;
  size_t idle = 0;
  bool stopping = false;
};

BlockingPool::BlockingPool(size_t max_threads, std::function<void()> notify)
    : state_(std::make_shared<State>()) {
  state_->max_threads = max_threads == 0 ? 1 : max_threads;
  state_->notify = std::move(notify);
}

BlockingPool::~BlockingPool() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->stopping = true;
  state_->work.clear();
  state_->answers.clear();
  state_->notify = nullptr;
  state_->work_ready.notify_all();
}

void BlockingPool::Serve(std::shared_ptr<State> state) {
  std::unique_lock<std::mutex> lock(state->mutex);
  for (;;) {
    ++state->idle;
    state->work_ready.wait(lock, [&] { return state->stopping || !state->work.empty(); });
    --state->idle;
    if (state->stopping) break;
    auto [generation, work] = std::move(state->work.front());
    state->work.pop_front();
    lock.unlock();
    Answer answer = work();
    lock.lock();
    if (state->stopping || generation != state->generation) continue;
    state->answers.push_back(std::move(answer));
    state->answer_ready.notify_all();
    if (state->notify) state->notify();
  }
  --state->threads;
}

void BlockingPool::Post(Work work) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->work.emplace_back(state_->generation, std::move(work));
  if (state_->idle < state_->work.size() && state_->threads < state_->max_threads) {
    ++state_->threads;
    std::thread(&BlockingPool::Serve, state_).detach();
  }
  state_->work_ready.notify_one();
}

void BlockingPool::RunAnswers(int max_wait_ms) {
  std::vector<Answer> answers;
  {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->answer_ready.wait_for(lock, std::chrono::milliseconds(max_wait_ms),
                                  [this] { return !state_->answers.empty(); });
    answers.swap(state_->answers);
  }
  for (Answer& answer : answers) answer();
}

void BlockingPool::DropAll() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  ++state_->generation;
  state_->work.clear();
  state_->answers.clear();
}

}  // namespace quillet
