#include "core/paths.h"

#include <filesystem>
#include <system_error>

#include "core/text.h"

namespace quillet {

bool HasFolder(std::string_view path) {
  return path.find_first_of("/\\") != std::string_view::npos;
}

std::string InFolder(std::string_view folder, std::string_view name) {
  std::string out(folder);
  bool windows_style =
      folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos;
  if (out.empty() || (out.back() != '/' && out.back() != '\\')) out += windows_style ? '\\' : '/';
  return out.append(name);
}

std::string WithDefaultFolder(std::string_view folder, std::string_view path) {
  return HasFolder(path) ? std::string(path) : InFolder(folder, path);
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool IsWebAddress(std::string_view text) {
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

std::string WhyNotAFile(const std::string& path) {
  std::error_code error;
  bool there = !path.empty() && std::filesystem::exists(path, error);
  return there ? "is not a plain file" : "is missing";
}

}  // namespace quillet
