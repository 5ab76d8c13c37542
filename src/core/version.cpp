#include "core/version.h"

#include <cstdio>

namespace quillet {

std::string FormatVersion(int major, int minor, int revision) {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%02d.%03d", major, minor, revision);
  return text;
}

const std::string& VersionString() {
  static const std::string cached = FormatVersion(kVersionMajor, kVersionMinor, kVersionRevision);
  return cached;
}

}  // namespace quillet
