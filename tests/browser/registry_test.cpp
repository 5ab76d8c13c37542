// The registry wrapper, and the toolbar button it stores.
#include <gtest/gtest.h>

#include <set>

#include "app/app_settings.h"
#include "app/desktop_kind.h"
#include "browser/memory_registry.h"
#include "browser/registry.h"
#include "browser/toolbar_button.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"

namespace quillet {
namespace {

constexpr const char* kKey = "Software\\Test\\Key";

template <class Body>
void ExpectRegistryError(Body body, long number, const std::string& source, const char* text) {
  try {
    body();
    ADD_FAILURE() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(std::to_string(error.number()) + " " + error.source() + " " + error.what(),
              std::to_string(number) + " " + source + " " + text);
  }
}

// A registry that refuses to create or open keys for writing.
struct RefusingRegistry : MemoryRegistry {
  long CreateKey(RegHandle, const std::string&, uint32_t, RegHandle&, uint32_t&) override {
    return reg::kAccessDenied;
  }
};

class RegistryTest : public ::testing::Test {
 protected:
  MemoryRegistry api;
  testing::FakeUserInterface ui;
  CRegistry registry{api, ui};

  void Put(const std::string& path, const std::string& name, const std::string& data,
           uint32_t type = reg::kTypeString) {
    api.Add({kHkeyLocalMachine, path, {{name, type, data}}});
  }
};

TEST_F(RegistryTest, MissingKeyIsCreatedOnlyWithAutoCreate) {
  registry.SetKey(kKey);
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, kKey));
  EXPECT_EQ(registry.ValueCount(), 0);
  registry.SetAutoCreate(false);
  ExpectRegistryError([&] { registry.SetKey("Software\\Missing"); }, 0x80040201, "GetKeyInfo",
                      "Unable to open Key");
  EXPECT_FALSE(api.KeyExists(kHkeyLocalMachine, "Software\\Missing"));
  EXPECT_FALSE(registry.SetValue(std::string("a"), "b"));  // no key, no message
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(RegistryTest, ValuesReadAsTextWithoutTheirLastByte) {
  Put(kKey, "Version", std::string("5.50\0", 5));
  Put(kKey, "One", std::string("\1\0\0\0", 4), reg::kTypeDword);
  registry.SetKey(kKey);
  EXPECT_EQ(registry.GetValue("version") + "|" + registry.GetValue("Nothing") + "|" +
                registry.GetName(1) + "|" + registry.GetValue(int16_t{0}),
            "5.50||One|5.50");
  EXPECT_EQ(registry.GetValue("One"), std::string("\1\0\0", 3));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(registry.GetValue(int16_t{3}), "");
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(RegistryTest, WriteFailuresAndErrorNumbers) {
  api.DenyWrite(kHkeyLocalMachine, kKey);
  registry.SetKey(kKey);
  EXPECT_FALSE(registry.SetValue(std::string("a"), "b"));
  EXPECT_EQ(ui.last_message(), "Darn!!  Couldn't write new value.");

  registry.SetRoot(0x12345);  // the failing open is ignored here
  ExpectRegistryError([&] { registry.SetValue(std::string("a"), "b"); }, 0x80040201, "CreateEx",
                      "Cannot Open Parent Key");
  EXPECT_EQ(registry.Create("More"), 0);
  ExpectRegistryError([&] { registry.SetValueCount(3); }, 0x80040207, "CRegistry.Let ValueCount",
                      "The Let Property is not available");

  RefusingRegistry refusing;
  refusing.Add({kHkeyLocalMachine, kKey, {}});
  CRegistry denied(refusing, ui);
  denied.SetAutoCreate(false);
  denied.SetKey(kKey);
  denied.SetAutoCreate(true);
  ExpectRegistryError([&] { denied.SetValue(std::string("a"), "b"); }, 0x80040209, "CreateEx",
                      "Unknown Error: 5");
  ExpectRegistryError([&] { denied.Refresh(); }, 0x80040201, "GetKeyInfo", "Unable to open Key");
}

TEST_F(RegistryTest, DeleteKeyRemovesTheSubtreeAndStopsAtWhatCannotGo) {
  std::string top = std::string(kKey) + "\\Top";
  Put(top + "\\A\\Deep\\Deeper", "v", "1");
  Put(top + "\\B", "v", "1");
  std::string locked = std::string(kKey) + "\\Guarded\\Locked";
  Put(locked + "\\Inner", "v", "1");
  api.DenyDelete(kHkeyLocalMachine, locked);
  registry.SetKey(kKey);
  EXPECT_TRUE(registry.DeleteKey("Top"));
  EXPECT_TRUE(!api.KeyExists(kHkeyLocalMachine, top) && api.KeyExists(kHkeyLocalMachine, kKey));
  EXPECT_EQ(registry.key(), kKey);
  EXPECT_FALSE(registry.DeleteKey("Top"));  // missing: nothing happens
  // The locked key would come back at index 0 for ever; the deletion gives up instead.
  EXPECT_FALSE(registry.DeleteKey("Guarded"));
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, locked) &&
              !api.KeyExists(kHkeyLocalMachine, locked + "\\Inner") && ui.messages.empty());
  EXPECT_EQ(api.OpenHandles(), 0u);
}

// Keys deeper than the limit are refused, so nothing that walks the tree recurses without end.
TEST_F(RegistryTest, KeysBelowTheDepthLimitAreRefused) {
  std::string path = "k";
  for (size_t level = 1; level < MemoryRegistry::kMaxDepth; ++level) path += "\\k";
  RegHandle key = 0;
  uint32_t disposition = 0;
  EXPECT_EQ(api.CreateKey(kHkeyCurrentUser, path, 0x3F, key, disposition), reg::kOk);
  EXPECT_EQ(api.CreateKey(key, "k", 0x3F, key, disposition), reg::kBadKey);
  EXPECT_FALSE(api.Add({kHkeyCurrentUser, path + "\\k", {}}));
}

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
  RefusingRegistry refusing;
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
