#include "browser/registry.h"

#include <gtest/gtest.h>

#include "browser/memory_registry.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

constexpr const char* kKey = "Software\\Test\\Key";

template <class Body>
void ExpectRegistryError(Body body, long number, const std::string& source, const char* text) {
  try {
    body();
    ADD_FAILURE() << "no error raised";
  } catch (const RegistryError& error) {
    EXPECT_EQ(error.number(), number);
    EXPECT_EQ(error.source(), source);
    EXPECT_STREQ(error.what(), text);
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
  EXPECT_EQ(registry.GetValue("version"), "5.50");
  EXPECT_EQ(registry.GetValue("One"), std::string("\1\0\0", 3));
  EXPECT_EQ(registry.GetValue("Nothing"), "");
  EXPECT_EQ(registry.GetName(1), "One");
  EXPECT_EQ(registry.GetValue(int16_t{0}), "5.50");
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
  EXPECT_FALSE(api.KeyExists(kHkeyLocalMachine, top));
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, kKey));
  EXPECT_EQ(registry.key(), kKey);
  EXPECT_FALSE(registry.DeleteKey("Top"));  // missing: nothing happens
  // The locked key would come back at index 0 for ever; the deletion gives up instead.
  EXPECT_FALSE(registry.DeleteKey("Guarded"));
  EXPECT_TRUE(api.KeyExists(kHkeyLocalMachine, locked));
  EXPECT_FALSE(api.KeyExists(kHkeyLocalMachine, locked + "\\Inner"));
  EXPECT_TRUE(ui.messages.empty());
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

}  // namespace
}  // namespace quillet
