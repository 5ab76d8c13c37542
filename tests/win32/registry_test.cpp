// The registry behind the registry class and the settings store, the named mutex, and the
// browser's version and cookies, on the real system. Every test works in a branch of its own
// below HKEY_CURRENT_USER and removes it afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include "app/startup.h"
#include "browser/registry.h"
#include "core/errors.h"
#include "fakes/fake_user_interface.h"
#include "fakes/registry_contract.h"
#include "fakes/store_and_lock_contracts.h"
#include "platform/win32/named_mutex_instance.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/wininet_browser_info.h"

namespace quillet {
namespace {

class RegistryBranchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    branch_ = "Software\\Brasklet\\QuilletTest-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, branch_.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, branch_.c_str()); }

  CRegistry& Open(const std::string& path) {
    registry_ = std::make_unique<CRegistry>(api_, ui_);
    registry_->SetRoot(kHkeyCurrentUser);
    registry_->SetKey(path);
    return *registry_;
  }

  Win32Registry api_;
  testing::FakeUserInterface ui_;
  std::unique_ptr<CRegistry> registry_;
  std::string branch_;
};

TEST_F(RegistryBranchTest, valuesAreStoredAsWindowsTypesAndReadBackThroughTheRegistryClass) {
  CRegistry& writer = Open(branch_);  // created by assigning the path
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, branch_.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
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

TEST_F(RegistryBranchTest, resultCodesAreWindowsOwn) {
  testing::ExpectWindowsResultCodes(api_, kHkeyCurrentUser, branch_);
}

TEST_F(RegistryBranchTest, valuesSurviveANewStoreExactly) {
  testing::ExpectSettingsSurviveARestart(
      [&] { return std::make_unique<RegistrySettingsStore>(branch_); });
}

TEST_F(RegistryBranchTest, eachKeyIsOneStringValueOfTheProgramsBranchForTheUser) {
  // Only a key of this test's own is touched in the program's real branch, and removed again.
  RegistrySettingsStore store;
  const std::string name = "quillet-test-" + std::to_string(GetCurrentProcessId());
  store.Save(name, "20");
  char data[16] = {};
  DWORD type = 0, size = sizeof data;
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Brasklet\\Quillet", name.c_str(),
                         RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(data, size), std::string("20\0", 3));
  store.Delete(name);
  EXPECT_FALSE(store.Contains(name));
}

TEST_F(RegistryBranchTest, aBranchThatCannotBeMadeRaisesARunTimeError) {
  RegistrySettingsStore bad(branch_ + "\\" + std::string(300, 'k'));  // names end at 255
  EXPECT_FALSE(bad.Contains("ping"));
  EXPECT_THROW(bad.Save("ping", "1"), RunTimeError);
}

TEST(NamedMutexInstanceTest, onlyOneHolderUntilItGoes) {
  const std::string name = "Local\\QuilletTest." + std::to_string(GetCurrentProcessId());
  testing::ExpectOneHolderOfTheInstanceLock(
      [&] { return std::make_unique<NamedMutexInstance>(name); });
}

TEST(WinInetBrowserInfoTest, aUsableBrowserWhoseCookiesGiveTheUpgradeNotice) {
  WinInetBrowserInfo info;
  auto version = info.Version();
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->major, 1u);
  EXPECT_GT(version->minor, 1u);  // start-up's test for a usable browser
  // Cookies are only stored here, never sent: nothing is fetched from the address.
  const char* url = "http://brasklet.example/quillet-cookie-test/";
  EXPECT_EQ(info.Cookies(url), "");
  ASSERT_TRUE(InternetSetCookieA(url, "id", "1"));
  ASSERT_TRUE(InternetSetCookieA(url, "ver", "0.02"));
  std::string text = info.Cookies(url);
  EXPECT_EQ(UpgradeVersionFromCookies(text, "0.01"), "0.02") << text;
  const char* long_url = "http://brasklet.example/quillet-long-cookie/";
  ASSERT_TRUE(InternetSetCookieA(long_url, "long", std::string(300, 'x').c_str()));
  EXPECT_EQ(info.Cookies(long_url), "");  // longer than the buffer: nothing
}

}  // namespace
}  // namespace quillet
