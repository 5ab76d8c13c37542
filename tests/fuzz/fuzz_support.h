#pragma once
// Helpers of the fuzz targets: a scratch folder of the process and whole-file writes.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace quillet::fuzz
