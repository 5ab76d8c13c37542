#include "platform/posix/ucontext_fibers.h"

#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <new>

namespace quillet {
namespace {

class UcontextFiber;
// The fiber running on this thread, if any.
thread_local UcontextFiber* running = nullptr;

class UcontextFiber : public Fiber {
 public:
  UcontextFiber(std::function<void()> body, size_t stack_bytes) : body_(std::move(body)) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_ = (stack_bytes + page - 1) / page * page + page;
    void* memory = mmap(nullptr, size_, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    stack_ = static_cast<char*>(memory);
    mprotect(stack_, page, PROT_NONE);  // a stack overflow faults instead of corrupting memory
    getcontext(&context_);
    context_.uc_stack.ss_sp = stack_;
    context_.uc_stack.ss_size = size_;
    context_.uc_link = &caller_;
    auto self = reinterpret_cast<uintptr_t>(this);
    makecontext(&context_, reinterpret_cast<void (*)()>(&UcontextFiber::Entry), 2,
                static_cast<unsigned>(self >> 32), static_cast<unsigned>(self & 0xFFFFFFFFu));
  }

  ~UcontextFiber() override { munmap(stack_, size_); }

  void Resume() override {
    if (finished_) return;
    UcontextFiber* outer = running;
    running = this;
    swapcontext(&caller_, &context_);
    running = outer;
  }

  bool Finished() const override { return finished_; }

  void Suspend() { swapcontext(&context_, &caller_); }

 private:
  static void Entry(unsigned high, unsigned low) {
    auto* fiber = reinterpret_cast<UcontextFiber*>(static_cast<uintptr_t>(high) << 32 | low);
    fiber->body_();
    fiber->finished_ = true;
    // Returning follows uc_link back to the caller of Resume().
  }

  std::function<void()> body_;
  char* stack_ = nullptr;
  size_t size_ = 0;
  ucontext_t context_{};
  ucontext_t caller_{};
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<Fiber> UcontextFibers::Make(std::function<void()> body) {
  return std::make_unique<UcontextFiber>(std::move(body), stack_bytes_);
}

void UcontextFibers::Suspend() {
  if (running) running->Suspend();
}

}  // namespace quillet
