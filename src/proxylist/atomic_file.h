#pragma once
// Replacing a file as a whole: the new content goes to a temporary file in the same folder,
// which then takes the old file's place in one rename. Whatever happens in between, the path
// holds either the old content or the new, never a part.
#include <string>

namespace quillet {

// Throws RunTimeError when the content cannot be written completely; the old file then stays.
void ReplaceFileContent(const std::string& path, const std::string& content);

// The whole file as bytes. Throws RunTimeError when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace quillet
