#pragma once
#include <string>

#include "app/instance_lock.h"

namespace quillet {

// A named mutex in the user's session. The first copy creates it and keeps its handle for the
// life of the process; Windows drops the mutex when the last handle goes, so a crash never leaves
// the program locked out.
class NamedMutexInstance : public InstanceLock {
 public:
  explicit NamedMutexInstance(std::string name = DefaultName()) : name_(std::move(name)) {}
  ~NamedMutexInstance() override;
  NamedMutexInstance(const NamedMutexInstance&) = delete;
  NamedMutexInstance& operator=(const NamedMutexInstance&) = delete;

  static std::string DefaultName() { return "Local\\Brasklet.Quillet.SingleInstance"; }
  bool Acquire() override;

 private:
  std::string name_;
  void* handle_ = nullptr;
};

}  // namespace quillet
