#include "platform/posix/gsettings_connection_proxy.h"

#include <gtest/gtest.h>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "desktop_sandbox.h"
#include "platform/posix/gsettings_browser_info.h"

namespace quillet {
namespace {

using testing::RunProgram;

class GSettingsProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GnomeProxySchemaInstalled()) GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
  }
  // What the separate gsettings program reads from the same settings.
  static std::string Get(const std::string& key, const std::string& child = "") {
    std::string schema = std::string(kGnomeProxySchema) + (child.empty() ? "" : "." + child);
    std::string value;
    if (!RunProgram({"gsettings", "get", schema, key}, value)) {
      ADD_FAILURE() << "gsettings get " << schema << " " << key << " failed (libglib2.0-bin?)";
    }
    return value;
  }
  GSettingsConnectionProxy component;
};

TEST_F(GSettingsProxyTest, ApplyWritesKeysThatGsettingsReadsAndThatReadBack) {
  MemoryProxyFields view;
  view.fields.proxy = CheckState::Checked;
  view.fields.servers = {"h:1", "", "f:2", "g:3"};
  view.fields.bypass = " a.example; ";
  view.fields.bypass_local = true;
  WriteProxySettings(component, view.fields);

  EXPECT_EQ(Get("mode"), "'manual'");
  EXPECT_EQ(Get("use-same-proxy"), "false");
  EXPECT_EQ(Get("host", "http"), "'h'");
  EXPECT_EQ(Get("port", "http"), "1");
  EXPECT_EQ(Get("host", "ftp"), "'f'");
  EXPECT_EQ(Get("port", "ftp"), "2");
  EXPECT_EQ(Get("host", "https"), "''");
  EXPECT_EQ(Get("ignore-hosts"), "['a.example', 'localhost', '127.0.0.0/8', '::1']");

  ProxyFields shown;
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.proxy, CheckState::Checked);
  EXPECT_FALSE(shown.same);
  EXPECT_EQ(shown.servers, (std::array<std::string, 4>{"h:1", "", "f:2", ""}));  // no Gopher
  EXPECT_TRUE(shown.bypass_local);
  EXPECT_EQ(shown.bypass, "a.example;");
  EXPECT_EQ(ProxyFieldColours(shown), ProxyFieldColours(view.fields));

  // "Enable Proxy" unchecked: direct, and the servers stay for next time.
  view.fields.proxy = CheckState::Unchecked;
  WriteProxySettings(component, view.fields);
  EXPECT_EQ(Get("mode"), "'none'");
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.proxy, CheckState::Unchecked);
  EXPECT_EQ(shown.servers[0], "h:1");
}

TEST_F(GSettingsProxyTest, BareFormGoesToEveryProtocol) {
  component.SetConnectionOption(kProxyOptionServer, "", "p.example:8080", kProxyFlagsManual);
  component.SetConnectionOption(kProxyOptionBypass, "", "x;localhost;localhost;::1",
                                kProxyFlagsBypass);
  for (const char* protocol : {"http", "https", "ftp"}) {
    EXPECT_EQ(Get("host", protocol), "'p.example'") << protocol;
    EXPECT_EQ(Get("port", protocol), "8080") << protocol;
  }
  EXPECT_EQ(Get("use-same-proxy"), "true");
  std::string value;
  int32_t flags = 0;
  component.GetConnectionOption(kProxyOptionServer, "", value, flags);
  EXPECT_EQ(value, "p.example:8080");
  EXPECT_EQ(flags, kProxyFlagsManual);
  component.GetConnectionOption(kProxyOptionBypass, "", value, flags);
  EXPECT_EQ(value, "x;localhost;localhost;::1");  // not all three local entries: no "<local>"
}

}  // namespace
}  // namespace quillet
