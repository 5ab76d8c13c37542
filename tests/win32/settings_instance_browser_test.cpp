#include <gtest/gtest.h>
#include <windows.h>

#include "app/startup.h"
#include "core/errors.h"
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

  // The raw registry value as its type and bytes.
  static bool RawValue(const std::string& subkey, const char* name, DWORD& type,
                       std::string& bytes) {
    char data[512];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     data, &size) != ERROR_SUCCESS) {
      return false;
    }
    bytes.assign(data, size);
    return true;
  }
  std::string subkey_;
};

TEST_F(RegistryStoreTest, valuesSurviveANewStoreExactly) {
  const std::string odd = " lead; trail \\ \"quoted\" =x= [g] #c ";
  {
    RegistrySettingsStore store(subkey_);
    EXPECT_EQ(store.OpenProblem(), "");  // a missing branch is no problem
    EXPECT_FALSE(store.Contains("ping"));
    EXPECT_EQ(store.Read("ping", "2500"), "2500");
    store.Save("ping", "900");
    store.Save("ComboURLs", odd);
    store.Save("FindIP", "");
    store.Save("GUID4ie", "{X}");
    store.Delete("GUID4ie");
    store.Delete("never-written");
  }
  RegistrySettingsStore again(subkey_);
  EXPECT_EQ(again.Read("ping", ""), "900");
  EXPECT_EQ(again.Read("ComboURLs", ""), odd);
  EXPECT_TRUE(again.Contains("FindIP"));  // an empty value still exists
  EXPECT_EQ(again.Read("FindIP", "default"), "");
  EXPECT_FALSE(again.Contains("GUID4ie"));
  EXPECT_EQ(again.Read("GUID4ie", "none"), "none");
}

TEST_F(RegistryStoreTest, eachKeyIsOneStringValueOfTheBranch) {
  RegistrySettingsStore store(subkey_);
  store.Save("TestTimeout", "20");
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(RawValue(subkey_, "TestTimeout", type, bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, std::string("20\0", 3));
}

TEST_F(RegistryStoreTest, theProgramsBranchIsUnderTheUsersSoftwareKey) {
  // Only a key of this test's own is touched in the program's real branch, and removed again.
  RegistrySettingsStore store;
  const std::string name = "quillet-test-" + std::to_string(GetCurrentProcessId());
  store.Save(name, "here");
  DWORD type = 0;
  std::string bytes;
  EXPECT_TRUE(RawValue("Software\\Brasklet\\Quillet", name.c_str(), type, bytes));
  EXPECT_EQ(bytes, std::string("here\0", 5));
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
  {
    NamedMutexInstance first(name);
    NamedMutexInstance second(name);
    EXPECT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire());  // asking again keeps the lock
    EXPECT_FALSE(second.Acquire());
  }
  NamedMutexInstance after(name);
  EXPECT_TRUE(after.Acquire());
}

TEST(WinInetBrowserInfoTest, reportsAVersionThatCountsAsABrowser) {
  WinInetBrowserInfo info;
  auto version = info.Version();
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->major, 1u);
  EXPECT_GT(version->minor, 1u);  // start-up's test for a usable browser
}

TEST(WinInetBrowserInfoTest, cookieTextGivesTheUpgradeNoticeAndTooLongGivesNothing) {
  // Cookies are only stored here, never sent: nothing is fetched from the address.
  const char* url = "http://brasklet.example/quillet-cookie-test/";
  WinInetBrowserInfo info;
  EXPECT_EQ(info.Cookies(url), "");
  ASSERT_TRUE(InternetSetCookieA(url, "id", "1"));
  ASSERT_TRUE(InternetSetCookieA(url, "ver", "0.02"));
  std::string text = info.Cookies(url);
  EXPECT_NE(text.find("id=1"), std::string::npos) << text;
  EXPECT_NE(text.find("ver=0.02"), std::string::npos) << text;
  EXPECT_EQ(UpgradeVersionFromCookies(text, "0.01"), "0.02") << text;
  EXPECT_EQ(UpgradeVersionFromCookies(text, "0.02"), "") << text;
  const char* long_url = "http://brasklet.example/quillet-long-cookie/";
  ASSERT_TRUE(InternetSetCookieA(long_url, "long", std::string(300, 'x').c_str()));
  EXPECT_EQ(info.Cookies(long_url), "");  // longer than the buffer: nothing
}

}  // namespace
}  // namespace quillet
