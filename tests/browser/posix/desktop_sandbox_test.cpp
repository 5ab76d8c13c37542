// The sandbox every test of this program runs in (see desktop_sandbox.h).
#include "desktop_sandbox.h"

#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quillet::testing {
namespace {

std::string root_folder;

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new DesktopSandbox);

}  // namespace

const std::string& DesktopSandbox::Root() {
  return root_folder;
}

void DesktopSandbox::SetUp() {
  std::string pattern = std::filesystem::temp_directory_path() / "quillet-desktop.XXXXXX";
  root_folder = g_mkdtemp(pattern.data()) ? pattern : "";
  ASSERT_FALSE(root_folder.empty());
  namespace fs = std::filesystem;
  std::string system_dirs = Root() + "/system";
  for (const std::string& folder :
       {system_dirs, ConfigHome(), DataHome() + "/applications", Root() + "/run"})
    fs::create_directories(folder);
  fs::permissions(Root() + "/run", fs::perms::owner_all);
  for (const char* shared : {"glib-2.0", "mime"}) {
    fs::path from = fs::path("/usr/share") / shared;
    if (fs::exists(from)) fs::create_directory_symlink(from, fs::path(system_dirs) / shared);
  }
  setenv("HOME", Root().c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (Root() + "/run").c_str(), 1);
  setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
  setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
  setenv("XDG_DATA_DIRS", system_dirs.c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (Root() + "/system-config").c_str(), 1);
  setenv("GSETTINGS_BACKEND", "keyfile", 1);
  // No session bus: nothing may be started on the user's behalf.
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillet-test-bus", 1);
}

void DesktopSandbox::TearDown() {
  if (!root_folder.empty()) std::filesystem::remove_all(root_folder);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()), nullptr);
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quillet::testing
