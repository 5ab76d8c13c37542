#pragma once
// Replacing a file as a whole: the new content goes to a temporary file in the same folder,
// which then takes the old file's place in one rename. Whatever happens in between, the path
// holds either the old content or the new, never a part, also after a power cut (both the new
// file and the folder are written to the disk), and the file keeps its owner, group and mode.
#include <functional>
#include <ostream>
#include <string>

namespace quillet {

// `write` streams the new content. Throws RunTimeError when it cannot be written completely;
// the old file then stays. An `owner_only` file (one that may hold a password) is readable and
// writable by its owner alone, whatever mode the old one had, from before its first byte.
void ReplaceFileContent(const std::string& path, const std::function<void(std::ostream&)>& write,
                        bool owner_only = false);

// The file's bytes, at most `max_bytes` of them. Throws RunTimeError when it cannot be read.
std::string ReadFileBytes(const std::string& path, size_t max_bytes = std::string::npos);

}  // namespace quillet
