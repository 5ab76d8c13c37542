#pragma once
// Helpers of the fuzz targets: a scratch folder of the process, whole-file writes, and the
// property every desktop adapter holds: what Apply wrote reads back as written.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "browser/desktop_proxy_text.h"
#include "core/errors.h"

namespace quillet::fuzz {

inline std::string ScratchFile(const std::string& name) {
  auto folder =
      std::filesystem::temp_directory_path() / ("quillet-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The input cut at its first NUL byte: the text before it, and the rest stays in `rest`.
inline std::string TakeField(std::string& rest) {
  size_t end = rest.find('\0');
  std::string field = rest.substr(0, end);
  rest = end == std::string::npos ? "" : rest.substr(end + 1);
  return field;
}

inline void Require(bool holds) {
  if (!holds) __builtin_trap();
}

// Written is written: the servers read back as those applied, without user names and passwords,
// which not every desktop has a place for (text the desktop cannot take throws instead).
inline void RequireSameServers(const std::string& written, const std::string& read) {
  DesktopServerList wanted;
  try {
    wanted = DesktopServers(written);
  } catch (const RunTimeError&) {
    return;
  }
  DesktopServerList got = DesktopServers(read);
  for (DesktopServerList* list : {&wanted, &got})
    for (DesktopServer& server : *list) server.user = server.password = "";
  Require(got == wanted);
}

}  // namespace quillet::fuzz
