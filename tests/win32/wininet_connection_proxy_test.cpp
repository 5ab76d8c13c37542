#include "platform/win32/wininet_connection_proxy.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "win32/wine.h"

namespace quillet {
namespace {

using testing::WineDiffers;
using testing::WineGap;

// The local network's settings are put back as they were after every test.
class WinInetConnectionProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    proxy_.GetConnectionOption(kProxyOptionServer, "", saved_server_, saved_flags_);
    proxy_.GetConnectionOption(kProxyOptionBypass, "", saved_bypass_, ignored_);
  }
  void TearDown() override {
    proxy_.SetConnectionOption(kProxyOptionBypass, "", saved_bypass_, kProxyFlagsBypass);
    proxy_.SetConnectionOption(kProxyOptionServer, "", saved_server_, saved_flags_);
  }
  std::string Read(int32_t option, int32_t& flags) {
    std::string value;
    proxy_.GetConnectionOption(option, "", value, flags);
    return value;
  }
  // The server text as the registry holds it for the local network.
  static std::string StoredServer() {
    char text[512] = {};
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", "ProxyServer",
                 RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
  }

  WinInetConnectionProxy proxy_;
  std::string saved_server_, saved_bypass_;
  int32_t saved_flags_ = 0, ignored_ = 0;
};

TEST_F(WinInetConnectionProxyTest, serverAndFlagsMakeTheRoundTrip) {
  int32_t flags = 0;
  proxy_.SetConnectionOption(kProxyOptionServer, "", "127.0.3.1:8080", kProxyFlagsManual);
  EXPECT_EQ(Read(kProxyOptionServer, flags), "127.0.3.1:8080");
  EXPECT_EQ(flags, kProxyFlagsManual);
  // Off keeps the server text: the window still shows it.
  proxy_.SetConnectionOption(kProxyOptionServer, "", "127.0.3.1:8080", kProxyFlagsDirect);
  EXPECT_EQ(Read(kProxyOptionServer, flags), "127.0.3.1:8080");
  EXPECT_EQ(flags, kProxyFlagsDirect);
  std::string value;
  EXPECT_THROW(proxy_.GetConnectionOption(4, "", value, flags), RunTimeError);
}

TEST_F(WinInetConnectionProxyTest, perProtocolServersAreStoredWhole) {
  const std::string servers = "http=127.0.3.1:81;https=127.0.3.2:82;ftp=127.0.3.3:83;";
  proxy_.SetConnectionOption(kProxyOptionServer, "", servers, kProxyFlagsManual);
  EXPECT_EQ(StoredServer(), servers);
  int32_t flags = 0;
  std::string read = Read(kProxyOptionServer, flags);
  if (!WineDiffers(WineGap::kPerConnectionQueryGivesOnlyHttpServer)) {
    EXPECT_EQ(read, servers);
  }
  EXPECT_EQ(flags, kProxyFlagsManual);
}

TEST_F(WinInetConnectionProxyTest, bypassListMakesTheRoundTrip) {
  if (WineDiffers(WineGap::kBypassListNotStored)) GTEST_SKIP();
  proxy_.SetConnectionOption(kProxyOptionServer, "", "127.0.3.1:8080", kProxyFlagsManual);
  proxy_.SetConnectionOption(kProxyOptionBypass, "", "a.example;<local>", kProxyFlagsBypass);
  int32_t flags = 0;
  EXPECT_EQ(Read(kProxyOptionBypass, flags), "a.example;<local>");
}

TEST_F(WinInetConnectionProxyTest, runningProgramsAreToldOfTheChange) {
  SettingsNotice notice = NotifyProxySettingsChanged();
  EXPECT_TRUE(notice.settings_changed);
  if (!WineDiffers(WineGap::kRefreshRefused)) {
    EXPECT_TRUE(notice.refreshed);
  }
}

TEST_F(WinInetConnectionProxyTest, writesForADialUpEntry) {
  if (!testing::UnderWine()) GTEST_SKIP() << "needs a phonebook entry named 'Quillet Test Dial'";
  proxy_.SetConnectionOption(kProxyOptionServer, "", "127.0.3.1:8080", kProxyFlagsManual);
  proxy_.SetConnectionOption(kProxyOptionServer, "Quillet Test Dial", "127.0.3.9:9",
                             kProxyFlagsManual);
  int32_t flags = 0;
  WineDiffers(WineGap::kConnectionNameIgnored);
  EXPECT_EQ(Read(kProxyOptionServer, flags), "127.0.3.9:9");
}

}  // namespace
}  // namespace quillet
