#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text.h"
#include "desktop_sandbox.h"
#include "platform/posix/desktop_toolbar_shortcut.h"

namespace quillet {
namespace {

using testing::DesktopSandbox;

TEST(DesktopToolbarShortcut, EntryStartsTheProgramEvenFromAnOddFolder) {
  std::string folder = DesktopSandbox::Root() + "/my \"tools\" $HOME 100%";
  DesktopToolbarShortcut shortcut;
  const std::string id = "{0000001A-000B-C0DE-AB01-0203040506FF}";
  shortcut.Install(id, folder);
  std::string path = shortcut.EntryPath(id);
  EXPECT_EQ(std::filesystem::path(path).parent_path(),
            DesktopSandbox::DataHome() + "/applications");
  // Read the way the desktop reads it: key file, then field codes, then shell-like quoting.
  g_autoptr(GKeyFile) entry = g_key_file_new();
  ASSERT_TRUE(g_key_file_load_from_file(entry, path.c_str(), G_KEY_FILE_NONE, nullptr));
  g_autofree gchar* name = g_key_file_get_string(entry, "Desktop Entry", "Name", nullptr);
  g_autofree gchar* exec = g_key_file_get_string(entry, "Desktop Entry", "Exec", nullptr);
  EXPECT_STREQ(name, "Set Proxy");
  std::string command = ReplaceAll(exec ? exec : "", "%%", "%");
  g_auto(GStrv) argv = nullptr;
  ASSERT_TRUE(g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr)) << command;
  EXPECT_EQ(std::string(argv[0]), folder + "/quillet");
  EXPECT_EQ(argv[1], nullptr);
  shortcut.Remove(id);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace quillet
