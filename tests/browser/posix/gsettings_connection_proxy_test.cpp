#include "platform/posix/gsettings_connection_proxy.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "core/errors.h"
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
  // A server that another program writes.
  static void SetHost(const std::string& child, const char* host) {
    GSettings* settings = g_settings_new((std::string(kGnomeProxySchema) + "." + child).c_str());
    ASSERT_TRUE(g_settings_set_string(settings, "host", host));
    g_settings_sync();
    g_object_unref(settings);
  }
  GSettingsConnectionProxy component;
};

TEST_F(GSettingsProxyTest, ApplyWritesKeysThatGsettingsReadsAndThatReadBack) {
  SetHost("socks", "left.over");
  MemoryProxyFields view;
  view.fields.proxy = CheckState::Checked;
  view.fields.servers = {"h:1", "", "f", "g:3"};
  view.fields.bypass = " a.example;192.168.* ";
  view.fields.bypass_local = true;
  WriteProxySettings(component, view.fields);

  EXPECT_EQ(Get("mode"), "'manual'");
  EXPECT_EQ(Get("use-same-proxy"), "false");
  EXPECT_EQ(Get("host", "http") + Get("port", "http"), "'h'1");
  EXPECT_EQ(Get("host", "ftp") + Get("port", "ftp"), "'f'80");  // no port: 80
  EXPECT_EQ(Get("host", "https"), "''");
  EXPECT_EQ(Get("host", "socks"), "''");
  EXPECT_EQ(Get("ignore-hosts"),
            "['a.example', '192.168.0.0/16', 'localhost', '127.0.0.0/8', '::1']");

  ProxyFields shown;
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.proxy, CheckState::Checked);
  EXPECT_FALSE(shown.same);
  EXPECT_EQ(shown.servers, (std::array<std::string, 4>{"h:1", "", "f:80", ""}));  // no Gopher
  EXPECT_TRUE(shown.bypass_local);
  EXPECT_EQ(shown.bypass, "a.example;192.168.*;");

  // "Enable Proxy" unchecked: direct, and the servers stay for next time.
  view.fields.proxy = CheckState::Unchecked;
  WriteProxySettings(component, view.fields);
  EXPECT_EQ(Get("mode"), "'none'");
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.proxy, CheckState::Unchecked);
  EXPECT_EQ(shown.servers[0], "h:1");
}

TEST_F(GSettingsProxyTest, BareFormGoesToEveryProtocolAndOwnServersShowWhateverSameSays) {
  component.SetConnectionOption(kProxyOptionServer, "", "p.example:8080", kProxyFlagsManual);
  for (const char* protocol : {"http", "https", "ftp"}) {
    EXPECT_EQ(Get("host", protocol) + Get("port", protocol), "'p.example'8080") << protocol;
  }
  EXPECT_EQ(Get("use-same-proxy"), "true");
  std::string value;
  int32_t flags = 0;
  component.GetConnectionOption(kProxyOptionServer, "", value, flags);
  EXPECT_EQ(value, "p.example:8080");
  EXPECT_EQ(flags, kProxyFlagsManual);
  // Another program sets its own HTTPS server and leaves use-same-proxy on.
  SetHost("https", "s.example");
  component.GetConnectionOption(kProxyOptionServer, "", value, flags);
  EXPECT_EQ(value, "http=p.example:8080;https=s.example:8080;ftp=p.example:8080;");
}

// The reason a write was refused, or empty text when it was taken.
std::string Refusal(ConnectionProxyComponent& component, ProxyFields fields) {
  try {
    WriteProxySettings(component, fields);
  } catch (const RunTimeError& refused) {
    return refused.what();
  }
  return "";
}

TEST_F(GSettingsProxyTest, LockedKeyMemoryBackendAndBadTextAreRefusedBeforeAnyWrite) {
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = {"new.example:3128", "", "", ""};
  fields.bypass = "a.example";
  // Keys outside the backend's root path are not writable: here all but the ftp server's.
  std::string file = testing::DesktopSandbox::Root() + "/locked.keyfile";
  GSettingsBackend* locked =
      g_keyfile_settings_backend_new(file.c_str(), "/system/proxy/ftp/", nullptr);
  GSettingsBackend* memory = g_memory_settings_backend_new();
  EXPECT_NE(Refusal(*std::make_unique<GSettingsConnectionProxy>("", locked), fields)
                .find("'mode' is locked"),
            std::string::npos);
  EXPECT_NE(Refusal(*std::make_unique<GSettingsConnectionProxy>("", memory), fields)
                .find("in memory only"),
            std::string::npos);
  g_object_unref(locked);
  g_object_unref(memory);
  for (const char* bad : {"bad\xff:1", "h:99999"}) {
    fields.servers[0] = bad;
    EXPECT_NE(Refusal(component, fields), "") << bad;
  }
  fields.servers[0] = "new.example:3128";
  fields.bypass = "ok;\xc3";
  EXPECT_NE(Refusal(component, fields).find("not valid UTF-8"), std::string::npos);
  EXPECT_NE(Get("host", "http"), "'new.example'");  // nothing of it reached the desktop
}

}  // namespace
}  // namespace quillet
