#pragma once
// How a row check waits: it is a C++20 coroutine that co_awaits the operations of the event loop
// (fetch, echo, look-up). It has no stack of its own, so thousands can wait at once, and it runs
// under the sanitizers like any other code.
#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quillet {

// A coroutine that starts suspended, runs on Resume() until it waits or ends, and keeps its
// frame (and its result) until the Task is destroyed.
template <class T>
class Task {
 public:
  struct promise_type {
    std::optional<T> value;
    std::exception_ptr failure;

    Task get_return_object() {
      return Task(std::coroutine_handle<promise_type>::from_promise(*this));
    }
    std::suspend_always initial_suspend() noexcept { return {}; }
    std::suspend_always final_suspend() noexcept { return {}; }
    void return_value(T result) { value = std::move(result); }
    void unhandled_exception() { failure = std::current_exception(); }
  };

  Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
  Task& operator=(Task&& other) noexcept {
    if (this != &other) {
      if (handle_) handle_.destroy();
      handle_ = std::exchange(other.handle_, {});
    }
    return *this;
  }
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;
  ~Task() {
    if (handle_) handle_.destroy();
  }

  void Resume() {
    if (handle_ && !handle_.done()) handle_.resume();
  }
  bool Done() const { return !handle_ || handle_.done(); }
  void* Address() const { return handle_.address(); }
  promise_type& Promise() { return handle_.promise(); }

 private:
  explicit Task(std::coroutine_handle<promise_type> handle) : handle_(handle) {}
  std::coroutine_handle<promise_type> handle_;
};

// The coroutines whose awaited operation has ended, to be resumed by their owner's loop (never
// inside the callback that ended the operation).
using Wakeups = std::vector<std::coroutine_handle<>>;

// Awaits one callback-style operation: `start` gets the function that delivers the result. A
// result delivered after the awaiting coroutine was destroyed is dropped.
template <class R>
class Awaited {
 public:
  using Deliver = std::function<void(R)>;
  Awaited(Wakeups& wakeups, std::function<void(Deliver)> start)
      : wakeups_(wakeups), start_(std::move(start)) {}
  Awaited(const Awaited&) = delete;
  Awaited& operator=(const Awaited&) = delete;
  ~Awaited() {
    if (slot_) slot_->waiting = {};
  }

  bool await_ready() const noexcept { return false; }
  void await_suspend(std::coroutine_handle<> waiting) {
    slot_ = std::make_shared<Slot>();
    slot_->waiting = waiting;
    slot_->wakeups = &wakeups_;
    start_([slot = slot_](R result) {
      if (!slot->waiting) return;
      slot->result = std::move(result);
      slot->wakeups->push_back(std::exchange(slot->waiting, {}));
    });
  }
  R await_resume() { return std::move(*slot_->result); }

 private:
  struct Slot {
    std::coroutine_handle<> waiting;
    Wakeups* wakeups = nullptr;
    std::optional<R> result;
  };

  Wakeups& wakeups_;
  std::function<void(Deliver)> start_;
  std::shared_ptr<Slot> slot_;
};

}  // namespace quillet
