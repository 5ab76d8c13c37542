#include "platform/win32/wininet_connection_proxy.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <wininet.h>

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

// The local network's flags as WinINet holds them; `set` writes them first.
DWORD RawFlags(DWORD set = 0) {
  INTERNET_PER_CONN_OPTIONA option = {INTERNET_PER_CONN_FLAGS, {set}};
  INTERNET_PER_CONN_OPTION_LISTA list = {sizeof list, nullptr, 1, 0, &option};
  DWORD size = sizeof list;
  if (set) InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, size);
  InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size);
  return option.Value.dwValue;
}

TEST_F(WinInetConnectionProxyTest, serverAndFlagsMakeTheRoundTripKeepingAutoDetect) {
  RawFlags(PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT);  // the user's "automatically detect"
  int32_t flags = 0;
  for (int32_t wanted : {kProxyFlagsManual, kProxyFlagsDirect}) {
    proxy_.SetConnectionOption(kProxyOptionServer, "", "127.0.3.1:8080", wanted);
    EXPECT_EQ(Read(kProxyOptionServer, flags), "127.0.3.1:8080");  // off keeps the server text
    EXPECT_EQ(flags, wanted);
    if (!(RawFlags() & PROXY_TYPE_AUTO_DETECT) && !WineDiffers(WineGap::kAutoDetectNotStored)) {
      ADD_FAILURE() << "auto-detect lost after writing flags " << wanted;
    }
  }
  std::string value;
  EXPECT_THROW(proxy_.GetConnectionOption(4, "", value, flags), RunTimeError);
}

TEST_F(WinInetConnectionProxyTest, perProtocolServersAreStoredWhole) {
  const std::string servers =
      "http=127.0.3.1:81;https=127.0.3.2:82;ftp=127.0.3.3:83;socks=127.0.3.4:1080;";
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

}  // namespace
}  // namespace quillet
