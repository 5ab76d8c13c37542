#pragma once
// File path rules. A path "has a folder" when it holds a folder separator; a bare file name is
// looked up in the program's folder. Both separators are understood, and a new path uses the
// separator that the folder already uses, so the same rules serve Windows and Unix paths.
#include <string>
#include <string_view>

namespace quillet {

bool HasFolder(std::string_view path);

// folder + separator (unless the folder already ends with one) + name.
std::string InFolder(std::string_view folder, std::string_view name);

// The path itself when it has a folder, else the name in the given folder.
std::string WithDefaultFolder(std::string_view folder, std::string_view path);

bool FileExists(const std::string& path);

// A list named by an "http://" or "https://" address (any case) instead of a file path.
bool IsWebAddress(std::string_view text);

// Why `path` cannot be opened as a list file: "is missing", or, for something that is there but
// is no plain file (a folder, a device such as /dev/zero), "is not a plain file".
std::string WhyNotAFile(const std::string& path);

}  // namespace quillet
