#include "browser/toolbar_button.h"

#include <gtest/gtest.h>

#include <set>

#include "app/app_settings.h"
#include "app/desktop_kind.h"
#include "browser/memory_registry.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"

namespace quillet {
namespace {

// Identifiers counted up from 1, and a launcher-entry folder in memory.
struct CountingGuidSource : GuidSource {
  uint32_t next = 1;
  bool fail = false;
  std::optional<Guid> NewGuid() override {
    if (fail) return std::nullopt;
    Guid guid;
    guid.data1 = next++;
    return guid;
  }
};

struct MemoryToolbarShortcut : ToolbarShortcut {
  std::set<std::string> installed;
  void Install(const std::string& id, const std::string&) override { installed.insert(id); }
  void Remove(const std::string& id) override { installed.erase(id); }
};

const std::string kFirstId = "{00000001-0000-0000-0000-000000000000}";

class ToolbarButtonTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  testing::MemorySettingsStore store;
  testing::FakeUserInterface ui;
  MemoryToolbarShortcut shortcut;
  CountingGuidSource guids;
  ToolbarServices services{registry, store, ui, shortcut, guids, "C:\\Tools"};
  bool ButtonKeyExists(const std::string& id) {
    return registry.KeyExists(kHkeyLocalMachine, std::string(kExtensionsKey) + "\\" + id);
  }
};

TEST_F(ToolbarButtonTest, CreateDetachCreateUsesANewIdentifier) {
  ToolbarDialogState state = ToolbarDialogState::FromSettings(store);

  ToggleToolbarButton(services, state);
  EXPECT_TRUE(state.attached && ButtonKeyExists(kFirstId));
  EXPECT_EQ(state.guid + store.values[keys::kToolbarGuid], kFirstId + kFirstId);
  EXPECT_EQ(shortcut.installed, std::set<std::string>{kFirstId});
  EXPECT_EQ(ui.messages.at(0).title, "Confirmation");

  ToggleToolbarButton(services, state);
  EXPECT_FALSE(state.attached || ButtonKeyExists(kFirstId) || store.Contains(keys::kToolbarGuid));
  EXPECT_TRUE(registry.KeyExists(kHkeyLocalMachine, kExtensionsKey) && shortcut.installed.empty());
  EXPECT_EQ(ui.last_message(),
            kBrowserDesktop ? "Quillet was detached from IE."
                            : "The 'Set Proxy' launcher was removed from the desktop's menu.");
  ToggleToolbarButton(services, state);
  EXPECT_EQ(state.guid, "{00000002-0000-0000-0000-000000000000}");
  EXPECT_TRUE(ButtonKeyExists(state.guid));
}

TEST_F(ToolbarButtonTest, NoIdentifierOrARegistryErrorChangesNothing) {
  Guid guid{0x1A, 0xB, 0xC0DE, {0xAB, 0x01, 2, 3, 4, 5, 6, 0xFF}};
  EXPECT_EQ(GuidText(guid), "0000001A-000B-C0DE-AB01-0203040506FF");
  struct Refusing : MemoryRegistry {
    long CreateKey(RegHandle, const std::string&, uint32_t, RegHandle&, uint32_t&) override {
      return reg::kAccessDenied;
    }
  } refusing;
  ToolbarServices denied{refusing, store, ui, shortcut, guids, "/opt/quillet"};
  for (ToolbarServices* attempt : {&denied, &services}) {
    guids.fail = attempt == &services;
    ToolbarDialogState state;
    ToggleToolbarButton(*attempt, state);
    EXPECT_TRUE(!state.attached && state.guid.empty() && registry.Keys().empty());
    EXPECT_FALSE(store.Contains(keys::kToolbarGuid));
  }
  EXPECT_EQ(ui.messages.front().text, "Unable to open Key");
}

}  // namespace
}  // namespace quillet
