#pragma once
// Cooperative fibers: a function that runs on a stack of its own and can hand control back to
// whoever resumed it, to be resumed later where it stopped. They let a check written as plain
// sequential calls wait for the event loop without a thread of its own.
#include <functional>
#include <memory>

namespace quillet {

class Fiber {
 public:
  virtual ~Fiber() = default;
  // Runs the fiber until it suspends or its function returns. A finished fiber does nothing.
  virtual void Resume() = 0;
  virtual bool Finished() const = 0;
};

class FiberFactory {
 public:
  virtual ~FiberFactory() = default;
  // The function must not let an exception escape.
  virtual std::unique_ptr<Fiber> Make(std::function<void()> body) = 0;
  // From inside a running fiber: returns to the code that called its Resume().
  virtual void Suspend() = 0;
};

}  // namespace quillet
