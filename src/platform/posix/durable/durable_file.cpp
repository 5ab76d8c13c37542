#include "proxylist/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/errors.h"

namespace quillet {
namespace {

void Sync(const std::string& path, int flags, const char* what) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) {
    std::string reason = std::strerror(errno);
    if (fd >= 0) close(fd);
    throw RunTimeError(kErrFileIo, std::string(what) + " '" + path + "': " + reason);
  }
  close(fd);
}

}  // namespace

void SyncFileToDisk(const std::string& path) {
  Sync(path, O_RDONLY, "Cannot write to the disk");
}

void SyncFolderToDisk(const std::string& folder) {
  Sync(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY, "Cannot write the folder");
}

void KeepOwnership(const std::string& original, const std::string& copy) {
  struct stat status;
  if (stat(original.c_str(), &status) != 0) return;
  // Another owner needs privileges; the group alone is allowed for a group of the user's own.
  if (chown(copy.c_str(), status.st_uid, status.st_gid) != 0) {
    [[maybe_unused]] int ignored = chown(copy.c_str(), uid_t(-1), status.st_gid);
  }
  // After chown, which may clear the set-id bits.
  chmod(copy.c_str(), status.st_mode & 07777);
}

}  // namespace quillet
