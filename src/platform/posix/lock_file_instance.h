#pragma once
#include <string>

#include "app/instance_lock.h"

namespace quillet {

// A lock file in the user's runtime folder, held with flock() for the life of the process. The
// kernel drops the lock when the process ends, so a crash never leaves the program locked out.
class LockFileInstance : public InstanceLock {
 public:
  explicit LockFileInstance(std::string path) : path_(std::move(path)) {}
  ~LockFileInstance() override;
  // $XDG_RUNTIME_DIR/quillet.lock, or /tmp/quillet-<uid>.lock without a runtime folder.
  static std::string DefaultPath();
  bool Acquire() override;

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace quillet
