#pragma once

namespace quillet {

// Tells whether another copy of the program is already running. The first copy holds the lock
// for as long as it lives.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True when this process now holds the lock; false when another copy holds it.
  virtual bool Acquire() = 0;
};

}  // namespace quillet
