#pragma once
// Every test of a program linked with this runs in a desktop of its own: a temporary home,
// configuration, data and runtime folder, and GSettings in a key file there, never the
// developer's own. The system's GSettings schemas and MIME database stay visible; its
// applications do not. Set before GLib and Qt read any of it.
#include <gtest/gtest.h>

#include <string>

namespace quillet::testing {

class DesktopSandbox : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
  static const std::string& Root();
  static std::string ConfigHome() { return Root() + "/config"; }
  static std::string DataHome() { return Root() + "/data"; }
};

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);

}  // namespace quillet::testing
