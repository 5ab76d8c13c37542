#pragma once
// Fibers on ucontext, each on its own mmap'd stack with a guard page below it. Only the pages a
// fiber touches take memory, so a thousand fibers cost little more than their used stack.
#include "verify/fibers.h"

namespace quillet {

class UcontextFibers : public FiberFactory {
 public:
  explicit UcontextFibers(size_t stack_bytes = 256 * 1024) : stack_bytes_(stack_bytes) {}
  std::unique_ptr<Fiber> Make(std::function<void()> body) override;
  void Suspend() override;

 private:
  size_t stack_bytes_;
};

}  // namespace quillet
