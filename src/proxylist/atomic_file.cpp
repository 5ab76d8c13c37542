#include "proxylist/atomic_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "core/errors.h"
#include "proxylist/durable_file.h"

namespace quillet {
namespace fs = std::filesystem;
namespace {

// The file a path stands for: the target of a symbolic link, so a linked list stays linked.
fs::path RealTarget(const std::string& path) {
  std::error_code error;
  fs::path target = fs::canonical(path, error);
  return error ? fs::path(path) : target;
}

std::string TemporaryPrefix(const fs::path& target) {
  // Appended piece by piece: GCC 12 takes "." + name for an overlapping copy (-Wrestrict).
  std::string prefix = ".";
  prefix += target.filename().string();
  return prefix += ".saving-";
}

fs::path TemporaryBeside(const fs::path& target) {
  std::random_device random;
  return target.parent_path() / (TemporaryPrefix(target) + std::to_string(random()));
}

// Removes what a save that was killed half-way left beside the target. Only one copy of the
// program runs at a time, so no other save is writing one now.
void RemoveAbandonedTemporaries(const fs::path& target) {
  std::error_code error;
  std::string prefix = TemporaryPrefix(target);
  fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().rfind(prefix, 0) == 0) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
}

void RemoveQuietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
  throw RunTimeError(kErrFileIo, what + " '" + path.string() + "'");
}

}  // namespace

void ReplaceFileContent(const std::string& path, const std::function<void(std::ostream&)>& write,
                        bool owner_only) {
  fs::path target = RealTarget(path);
  RemoveAbandonedTemporaries(target);
  fs::path temporary = TemporaryBeside(target);
  auto keep_private = [&] {
    std::error_code error;
    if (owner_only)
      fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, error);
    return !error;
  };
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out || !keep_private()) {
      RemoveQuietly(temporary);
      Fail("Cannot create", temporary);
    }
    write(out);
    out.flush();
    if (!out) {
      out.close();
      RemoveQuietly(temporary);
      Fail("Disk full or write error while saving", target);
    }
    out.close();
    if (out.fail()) {
      RemoveQuietly(temporary);
      Fail("Disk full or write error while saving", target);
    }
  }
  // The data and the owner are on the disk before the name points at them, and the rename is
  // on the disk before the save counts as done: a power cut leaves the old list or the new one.
  try {
    KeepOwnership(target.string(), temporary.string());
    if (!keep_private()) Fail("Cannot create", temporary);
    SyncFileToDisk(temporary.string());
  } catch (...) {
    RemoveQuietly(temporary);
    throw;
  }
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) {
    RemoveQuietly(temporary);
    Fail("Cannot replace", target);
  }
  SyncFolderToDisk(target.parent_path().string());
}

std::string ReadFileBytes(const std::string& path, size_t max_bytes) {
  std::error_code error;
  if (fs::is_directory(path, error)) throw RunTimeError(kErrFileIo, "Cannot read '" + path + "'");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RunTimeError(kErrFileNotFound, "File not found '" + path + "'");
  std::string bytes;
  char block[1 << 16];
  while (bytes.size() < max_bytes && in) {
    in.read(block, static_cast<std::streamsize>(std::min(sizeof block, max_bytes - bytes.size())));
    bytes.append(block, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) throw RunTimeError(kErrFileIo, "Cannot read '" + path + "'");
  return bytes;
}

}  // namespace quillet
