#include "platform/posix/lock_file_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace quillet {

LockFileInstance::~LockFileInstance() {
  if (fd_ >= 0) close(fd_);
}

std::string LockFileInstance::DefaultPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime && access(runtime, W_OK) == 0) return std::string(runtime) + "/quillet.lock";
  return "/tmp/quillet-" + std::to_string(getuid()) + ".lock";
}

bool LockFileInstance::Acquire() {
  if (fd_ >= 0) return true;
  int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a usable lock file the program cannot tell; letting it run is kinder than refusing.
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

}  // namespace quillet
