#pragma once
// Blocking calls (a name look-up, a WinINet fetch, an ICMP library echo) on a few worker threads,
// answered on the owner's thread. The workers are never joined: a call that hangs keeps only its
// own thread busy, and dropping or destroying the pool never waits for it. Whatever such a call
// uses must therefore outlive the pool (the platform's ports live as long as the program).
#include <cstddef>
#include <functional>
#include <memory>

namespace quillet {

class BlockingPool {
 public:
  using Answer = std::function<void()>;  // runs on the owner's thread
  using Work = std::function<Answer()>;  // runs on a worker thread

  // `notify` is called from a worker whenever an answer becomes ready (may be empty).
  BlockingPool(size_t max_threads, std::function<void()> notify = {});
  ~BlockingPool();
  BlockingPool(const BlockingPool&) = delete;
  BlockingPool& operator=(const BlockingPool&) = delete;

  void Post(Work work);
  // Waits at most `max_wait_ms` for an answer, then runs every answer that is ready.
  void RunAnswers(int max_wait_ms = 0);
  // Forgets the work not yet started and the answers of the work still running.
  void DropAll();

 private:
  struct State;
  static void Serve(std::shared_ptr<State> state);

  std::shared_ptr<State> state_;
};

}  // namespace quillet
