#include "browser/registry.h"

#include <gtest/gtest.h>

#include <memory>

#include "browser/memory_registry.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

constexpr const char* kKey = "Software\\Test\\Key";

class RegistryTest : public ::testing::Test {
 protected:
  MemoryRegistry api;
  testing::FakeUserInterface ui;

  void Put(const std::string& path, const std::string& name, const std::string& data,
           uint32_t type = reg::kTypeString) {
    api.Add({kHkeyLocalMachine, path, {{name, type, data}}});
  }
  CRegistry& Open(const std::string& path) {
    opened = std::make_unique<CRegistry>(api, ui);
    opened->SetKey(path);
    return *opened;
  }
  std::unique_ptr<CRegistry> opened;
};

TEST_F(RegistryTest, AssigningAMissingKeyCreatesItOnlyWithAutoCreate) {
  CRegistry made(api, ui);
  made.SetKey(kKey);
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, kKey));
  EXPECT_EQ(made.ValueCount(), 0);
  EXPECT_EQ(made.SubKeyCount(), 0);

  CRegistry strict(api, ui);
  strict.SetAutoCreate(false);
  try {
    strict.SetKey("Software\\Missing");
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(error.number(), 0x80040201);
    EXPECT_EQ(error.source(), "GetKeyInfo");
    EXPECT_STREQ(error.what(), "Unable to open Key");
  }
  EXPECT_FALSE(api.KeyExists(kHkeyLocalMachine, "Software\\Missing"));
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(RegistryTest, ValuesReadAsTextWithoutTheirLastByte) {
  Put(kKey, "Version", std::string("5.50\0", 5));
  Put(kKey, "One", std::string("\1\0\0\0", 4), reg::kTypeDword);
  Put(kKey, "Zero", std::string(4, '\0'), reg::kTypeDword);
  Put(kKey, "Empty", "");
  CRegistry& registry = Open(kKey);
  EXPECT_EQ(registry.ValueCount(), 4);
  EXPECT_EQ(registry.GetValue("version"), "5.50");
  EXPECT_EQ(registry.GetValue("One"), std::string("\1\0\0", 3));
  EXPECT_EQ(registry.GetValue("Zero"), std::string(3, '\0'));
  EXPECT_EQ(registry.GetValue("Empty"), "");
  EXPECT_EQ(registry.GetValue("Nothing"), "");
  EXPECT_EQ(registry.GetName(1), "One");
  EXPECT_EQ(registry.GetName(4), "");
  EXPECT_EQ(registry.GetValue(int16_t{0}), "5.50");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(registry.GetValue(int16_t{4}), "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
}

TEST_F(RegistryTest, SetValueWritesButTheTableStaysStaleUntilRefresh) {
  Put(kKey, "Name", std::string("old\0", 4));
  CRegistry& registry = Open(kKey);
  EXPECT_TRUE(registry.SetValue(std::string("Name"), "new"));
  EXPECT_TRUE(registry.SetValue(std::string("Added"), "x"));
  EXPECT_EQ(registry.GetValue("Name"), "old");
  EXPECT_EQ(registry.ValueCount(), 1);
  registry.Refresh();
  EXPECT_EQ(registry.GetValue("Name"), "new");
  EXPECT_EQ(registry.GetValue("Added"), "x");
  // By index: the name of that entry, or the unnamed value outside the table.
  EXPECT_TRUE(registry.SetValue(int16_t{1}, "again"));
  EXPECT_TRUE(registry.SetValue(int16_t{9}, "unnamed"));
  registry.Refresh();
  EXPECT_EQ(registry.GetValue("Added"), "again");
  EXPECT_EQ(registry.GetValue(""), "unnamed");
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(RegistryTest, SetValueFailuresAndTheirMessages) {
  api.DenyWrite(kHkeyLocalMachine, kKey);
  CRegistry& registry = Open(kKey);
  EXPECT_FALSE(registry.SetValue(std::string("a"), "b"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Darn!!  Couldn't write new value.");

  CRegistry strict(api, ui);
  strict.SetAutoCreate(false);
  strict.SetRoot(kHkeyCurrentUser);
  try {
    strict.SetKey("Gone");
  } catch (const RegistryError&) {
  }
  EXPECT_FALSE(strict.SetValue(std::string("a"), "b"));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_FALSE(api.KeyExists(kHkeyCurrentUser, "Gone"));
}

TEST_F(RegistryTest, CreateFailuresRaiseTheirNumbers) {
  CRegistry bad_root(api, ui);
  bad_root.SetKey("Software\\Any");
  bad_root.SetRoot(0x12345);  // the failing open is ignored here
  try {
    bad_root.SetValue(std::string("a"), "b");
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(error.number(), 0x80040201);
    EXPECT_EQ(error.source(), "CreateEx");
    EXPECT_STREQ(error.what(), "Cannot Open Parent Key");
  }

  struct Refusing : MemoryRegistry {
    long CreateKey(RegHandle, const std::string&, uint32_t, RegHandle&, uint32_t&) override {
      return reg::kAccessDenied;
    }
  } refusing;
  CRegistry registry(refusing, ui);
  registry.SetAutoCreate(false);
  refusing.Add({kHkeyLocalMachine, kKey, {}});
  registry.SetKey(kKey);
  registry.SetAutoCreate(true);
  try {
    registry.SetValue(std::string("a"), "b");
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(error.number(), 0x80040209);
    EXPECT_STREQ(error.what(), "Unknown Error: 5");
  }
  // A failing refresh is always reported as a key that cannot be opened.
  EXPECT_THROW(registry.Refresh(), RegistryError);
  try {
    registry.SetValueCount(3);
    FAIL() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(error.number(), 0x80040207);
    EXPECT_EQ(error.source(), "CRegistry.Let ValueCount");
    EXPECT_STREQ(error.what(), "The Let Property is not available");
  }
}

TEST_F(RegistryTest, SubkeysAndReassignedKeys) {
  Put(std::string(kKey) + "\\Beta", "b", "1");
  Put(std::string(kKey) + "\\alpha", "a", "1");
  Put("Software\\Other", "Only", std::string("here\0", 5));
  CRegistry& registry = Open(kKey);
  EXPECT_EQ(registry.SubKeyCount(), 2);
  EXPECT_EQ(registry.GetSubKey(0), "alpha");
  EXPECT_EQ(registry.GetSubKey(1), "Beta");
  EXPECT_EQ(registry.GetSubKey(2), "");

  registry.SetKey("Software\\Other");
  EXPECT_EQ(registry.GetValue("Only"), "here");
  registry.SetKey(kKey);
  EXPECT_EQ(registry.GetValue("Only"), "");
  EXPECT_EQ(registry.ValueCount(), 0);

  registry.SetDefault("x");
  EXPECT_EQ(registry.Default(), "");
  registry.SetSubKeyCount(7);
  EXPECT_EQ(registry.SubKeyCount(), 7);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeSubtreeAndKeepsTheParent) {
  std::string top = std::string(kKey) + "\\Top";
  Put(top, "v", "1");
  Put(top + "\\A\\Deep\\Deeper", "v", "1");
  Put(top + "\\B", "v", "1");
  Put(std::string(kKey) + "\\Sibling", "v", "1");
  CRegistry& registry = Open(kKey);
  EXPECT_TRUE(registry.DeleteKey("Top"));
  EXPECT_FALSE(api.KeyExists(kHkeyLocalMachine, top));
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, kKey));
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, std::string(kKey) + "\\Sibling"));
  EXPECT_EQ(registry.key(), kKey);

  EXPECT_FALSE(registry.DeleteKey("Top"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(RegistryTest, DeleteKeyStopsAtASubkeyThatCannotBeDeleted) {
  std::string top = std::string(kKey) + "\\Top";
  Put(top + "\\Locked\\Inner", "v", "1");
  Put(top + "\\Later", "v", "1");
  api.DenyDelete(kHkeyLocalMachine, top + "\\Locked");
  CRegistry& registry = Open(kKey);
  EXPECT_FALSE(registry.DeleteKey("Top"));  // returns instead of looping on the same subkey
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, top + "\\Locked"));
  EXPECT_FALSE(api.KeyExists(kHkeyLocalMachine, top + "\\Locked\\Inner"));
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(RegistryTest, DeleteValueRefreshesTheTable) {
  Put(kKey, "a", "1");
  api.Add({kHkeyLocalMachine, kKey, {{"b", reg::kTypeString, std::string("2\0", 2)}}});
  CRegistry& registry = Open(kKey);
  EXPECT_TRUE(registry.DeleteValue("A"));
  EXPECT_EQ(registry.ValueCount(), 1);
  EXPECT_EQ(registry.GetName(0), "b");
  EXPECT_FALSE(registry.DeleteValue("a"));
}

TEST_F(RegistryTest, RootAndCreateMakeKeys) {
  CRegistry registry(api, ui);
  registry.SetKey("Software\\Made");
  registry.SetRoot(kHkeyCurrentUser);  // creates the same path under the new root
  EXPECT_TRUE(api.KeyExists(kHkeyCurrentUser, "Software\\Made"));
  EXPECT_EQ(registry.Create("Child", std::string("Name"), "data"), -1);
  EXPECT_EQ(registry.key(), "Software\\Made\\Child");
  registry.Refresh();
  EXPECT_EQ(registry.GetValue("Name"), "data");
  registry.SetRoot(0x12345);
  EXPECT_EQ(registry.Create("More"), 0);
  EXPECT_EQ(api.OpenHandles(), 0u);
}

}  // namespace
}  // namespace quillet
