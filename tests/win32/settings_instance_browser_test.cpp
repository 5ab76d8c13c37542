#include <gtest/gtest.h>
#include <windows.h>

#include "app/startup.h"
#include "core/errors.h"
#include "fakes/store_and_lock_contracts.h"
#include "platform/win32/named_mutex_instance.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/wininet_browser_info.h"

#include <wininet.h>

namespace quillet {
namespace {

// A branch of its own for each test, removed afterwards.
class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    subkey_ = "Software\\Brasklet\\QuilletTest-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str()); }

  std::string subkey_;
};

TEST_F(RegistryStoreTest, valuesSurviveANewStoreExactly) {
  testing::ExpectSettingsSurviveARestart(
      [&] { return std::make_unique<RegistrySettingsStore>(subkey_); });
}

TEST_F(RegistryStoreTest, eachKeyIsOneStringValueOfTheProgramsBranchForTheUser) {
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

TEST_F(RegistryStoreTest, aBranchThatCannotBeMadeRaisesARunTimeError) {
  RegistrySettingsStore bad(subkey_ + "\\" + std::string(300, 'k'));  // names end at 255
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
