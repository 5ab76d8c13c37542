#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "browser/registry.h"
#include "fakes/fake_user_interface.h"
#include "fakes/registry_contract.h"

namespace quillet {
namespace {

// Every test works in a branch of its own below HKEY_CURRENT_USER and removes it afterwards.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    branch_ = "Software\\Brasklet\\QuilletRegistryTest-" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, branch_.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, branch_.c_str()); }

  CRegistry& Open(const std::string& path) {
    registry_ = std::make_unique<CRegistry>(api_, ui_);
    registry_->SetRoot(kHkeyCurrentUser);
    registry_->SetKey(path);
    return *registry_;
  }
  static bool Exists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  Win32Registry api_;
  testing::FakeUserInterface ui_;
  std::unique_ptr<CRegistry> registry_;
  std::string branch_;
};

TEST_F(Win32RegistryTest, valuesAreStoredAsWindowsTypesAndReadBackThroughTheRegistryClass) {
  CRegistry& writer = Open(branch_);  // created by assigning the path
  EXPECT_TRUE(Exists(branch_));
  EXPECT_TRUE(writer.SetValue(std::string("Version"), "5.50"));
  EXPECT_TRUE(writer.SetValue(std::string("Empty"), ""));
  EXPECT_TRUE(writer.SetValue(std::string("One"), std::string("\1\0\0", 3), reg::kTypeDword));
  EXPECT_EQ(writer.Create("Child"), -1);
  EXPECT_EQ(writer.GetValue("Version"), "");  // the table shows the key as it was read
  // Windows holds a REG_SZ with its terminating zero.
  char text[16] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, branch_.c_str(), "Version", RRF_RT_REG_SZ, nullptr,
                         text, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "5.50");
  EXPECT_EQ(size, 5u);

  CRegistry& reader = Open(branch_);
  EXPECT_EQ(reader.ValueCount(), 3);
  EXPECT_EQ(reader.GetValue("Empty"), "");
  EXPECT_EQ(reader.GetValue("version"), "5.50");
  EXPECT_EQ(reader.GetValue("One"), std::string("\1\0\0", 3));  // a DWORD reads as 3 bytes
  EXPECT_EQ(reader.SubKeyCount(), 1);
  EXPECT_EQ(reader.GetSubKey(0), "Child");
  EXPECT_EQ(reader.GetSubKey(1), "");
  EXPECT_TRUE(reader.DeleteValue("Version"));
  EXPECT_FALSE(reader.DeleteValue("Version"));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
}

TEST_F(Win32RegistryTest, resultCodesAreWindowsOwn) {
  testing::ExpectWindowsResultCodes(api_, kHkeyCurrentUser, branch_);
}

}  // namespace
}  // namespace quillet
