#pragma once
#include <string>

namespace quillet {

inline constexpr int kVersionMajor = 0;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 22;

// "0.01.022": major, minor with at least two digits, revision with at least three.
const std::string& VersionString();

// The same text for any numbers (the cached VersionString uses the program's own).
std::string FormatVersion(int major, int minor, int revision);

}  // namespace quillet
