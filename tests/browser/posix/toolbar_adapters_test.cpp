#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_settings.h"
#include "browser/registry.h"
#include "core/text.h"
#include "desktop_sandbox.h"
#include "fakes/fake_user_interface.h"
#include "platform/posix/desktop_toolbar_shortcut.h"
#include "platform/posix/key_file_registry.h"
#include "platform/posix/keyfile_settings_store.h"
#include "platform/posix/random_guid_source.h"

namespace quillet {
namespace {

using testing::DesktopSandbox;

std::string RegistryPath() {
  return DesktopSandbox::ConfigHome() + "/Brasklet/Registry.conf";
}

TEST(DesktopToolbarShortcut, EntryStartsTheProgramEvenFromAnOddFolder) {
  std::string folder = DesktopSandbox::Root() + "/my \"tools\" $HOME 100%";
  DesktopToolbarShortcut shortcut;
  const std::string id = "{0000001A-000B-C0DE-AB01-0203040506FF}";
  shortcut.Install(id, folder);
  std::string path = shortcut.EntryPath(id);
  EXPECT_EQ(std::filesystem::path(path).parent_path(),
            DesktopSandbox::DataHome() + "/applications");
  // Read the way the desktop reads it: key file, then field codes, then shell-like quoting.
  GKeyFile* entry = g_key_file_new();
  ASSERT_TRUE(g_key_file_load_from_file(entry, path.c_str(), G_KEY_FILE_NONE, nullptr));
  gchar* name = g_key_file_get_string(entry, "Desktop Entry", "Name", nullptr);
  gchar* exec = g_key_file_get_string(entry, "Desktop Entry", "Exec", nullptr);
  EXPECT_STREQ(name, "Set Proxy");
  std::string command = ReplaceAll(exec ? exec : "", "%%", "%");
  gchar** argv = nullptr;
  ASSERT_TRUE(g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr)) << command;
  EXPECT_EQ(std::string(argv[0]), folder + "/quillet");
  EXPECT_EQ(argv[1], nullptr);
  g_strfreev(argv);
  g_free(exec);
  g_free(name);
  g_key_file_free(entry);
  shortcut.Remove(id);
  EXPECT_FALSE(std::filesystem::exists(path));
}

// Create from the settings dialog, then "quillet detachIE" in a later run.
TEST(ToolbarButtonOnTheDesktop, CreateThenDetachInALaterRun) {
  testing::FakeUserInterface ui;
  std::string guid;
  std::string entry;
  {
    KeyFileRegistry registry(RegistryPath());
    KeyFileSettingsStore store(KeyFileSettingsStore::DefaultPath());
    DesktopToolbarShortcut shortcut;
    RandomGuidSource guids;
    ToolbarServices services{registry, store, ui, shortcut, guids, "/opt/quillet"};
    ToolbarDialogState state = ToolbarDialogState::FromSettings(store);
    ToggleToolbarButton(services, state);
    ASSERT_TRUE(state.attached) << ui.last_message();
    guid = state.guid;
    entry = shortcut.EntryPath(guid);
  }
  std::string key = std::string(kExtensionsKey) + "\\" + guid;
  EXPECT_TRUE(std::filesystem::exists(entry));
  KeyFileRegistry registry(RegistryPath());
  EXPECT_TRUE(registry.KeyExists(kHkeyLocalMachine, key));

  KeyFileSettingsStore store(KeyFileSettingsStore::DefaultPath());
  EXPECT_EQ(store.Read(keys::kToolbarGuid, ""), guid);
  DesktopToolbarShortcut shortcut;
  RandomGuidSource guids;
  RegistryToolbarRemover remover({registry, store, ui, shortcut, guids, "/opt/quillet"});
  remover.RemoveToolbarButton(guid);
  EXPECT_FALSE(KeyFileRegistry(RegistryPath()).KeyExists(kHkeyLocalMachine, key));
  EXPECT_FALSE(
      KeyFileSettingsStore(KeyFileSettingsStore::DefaultPath()).Contains(keys::kToolbarGuid));
  EXPECT_FALSE(std::filesystem::exists(entry));
}

}  // namespace
}  // namespace quillet
