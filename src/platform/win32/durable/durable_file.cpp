#include "proxylist/durable_file.h"

#include <windows.h>

#include "core/errors.h"

namespace quillet {

void SyncFileToDisk(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool flushed = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!flushed) {
    throw RunTimeError(kErrFileIo, "Cannot write to the disk '" + path + "': error " +
                                       std::to_string(GetLastError()));
  }
}

// NTFS writes a rename's entry through its journal; a folder cannot be flushed here.
void SyncFolderToDisk(const std::string&) {}

// A new file takes the folder's inherited access rules; only the read-only mark is copied.
void KeepOwnership(const std::string& original, const std::string& copy) {
  DWORD attributes = GetFileAttributesA(original.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(copy.c_str(), attributes & FILE_ATTRIBUTE_READONLY ? FILE_ATTRIBUTE_READONLY
                                                                        : FILE_ATTRIBUTE_NORMAL);
}

}  // namespace quillet
