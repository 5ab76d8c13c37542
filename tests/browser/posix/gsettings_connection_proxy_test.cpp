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

class GSettingsProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GnomeProxySchemaInstalled()) GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
    fields.proxy = CheckState::Checked;
  }
  // Every proxy key as the separate gsettings program reads it ("<schema> <key> <value>" lines).
  static std::string Desktop() {
    gchar* keys = nullptr;  // the command line is split into words; no shell runs
    EXPECT_TRUE(g_spawn_command_line_sync("gsettings list-recursively org.gnome.system.proxy",
                                          &keys, nullptr, nullptr, nullptr));
    std::string text = keys ? keys : "";
    g_free(keys);
    return text;
  }
  static void ExpectKeys(std::initializer_list<const char*> lines) {
    std::string keys = Desktop();
    for (const char* line : lines) EXPECT_NE(keys.find(line), std::string::npos) << line << keys;
  }
  // A server that another program writes.
  static void SetHost(const std::string& child, const char* host) {
    GSettings* settings = g_settings_new((std::string(kGnomeProxySchema) + "." + child).c_str());
    ASSERT_TRUE(g_settings_set_string(settings, "host", host));
    g_settings_sync();
    g_object_unref(settings);
  }
  // The reason a write was refused, or empty text when it was taken.
  std::string Refusal(ConnectionProxyComponent& refusing) {
    try {
      WriteProxySettings(refusing, fields);
    } catch (const RunTimeError& refused) {
      return refused.what();
    }
    return "";
  }
  GSettingsConnectionProxy component;
  ProxyFields fields;
};

TEST_F(GSettingsProxyTest, ApplyWritesKeysThatGsettingsReadsAndThatReadBackAndPutsThemBack) {
  SetHost("socks", "left.over");
  KeptValues kept = component.Keep();
  fields.servers = {"h:1", "", "f", "g:3"};
  fields.bypass = " a.example;192.168.* ";
  fields.bypass_local = true;
  WriteProxySettings(component, fields);
  ExpectKeys({"proxy use-same-proxy false", ".ftp host 'f'", ".ftp port 80", ".socks host ''",
              "proxy ignore-hosts ['a.example', '192.168.0.0/16', 'localhost', '127.0.0.0/8', "
              "'::1']"});
  ProxyFields shown;
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.servers, (std::array<std::string, 4>{"h:1", "", "f:80", ""}));  // no Gopher
  EXPECT_EQ(shown.bypass + (shown.bypass_local ? "+local" : ""), "a.example;192.168.*;+local");
  component.PutBack(kept);  // the way back: every key as it was, unset ones unset again
  EXPECT_EQ(component.Keep(), kept);
  ExpectKeys({".socks host 'left.over'"});
  EXPECT_EQ(kept.at("mode"), std::nullopt);
}

TEST_F(GSettingsProxyTest, BareFormGoesToEveryProtocolAndOwnServersShowWhateverSameSays) {
  component.SetConnectionOption(kProxyOptionServer, "", "p.example:8080", kProxyFlagsManual);
  ExpectKeys({".http host 'p.example'", ".https host 'p.example'", ".ftp port 8080"});
  std::string value;
  int32_t flags = 0;
  component.GetConnectionOption(kProxyOptionServer, "", value, flags);
  EXPECT_EQ(value, "p.example:8080");
  SetHost("https", "s.example");  // another program's own HTTPS server; use-same-proxy stays on
  component.GetConnectionOption(kProxyOptionServer, "", value, flags);
  EXPECT_EQ(value, "http=p.example:8080;https=s.example:8080;ftp=p.example:8080;");
  // A SOCKS server alone: the others are cleared, use-same-proxy leaves it its own.
  component.SetConnectionOption(kProxyOptionServer, "", "socks=k.example:1081;", kProxyFlagsManual);
  ExpectKeys({".socks host 'k.example'", ".socks port 1081", ".http host ''"});
  component.GetConnectionOption(kProxyOptionServer, "", value, flags);
  EXPECT_EQ(value, "socks=k.example:1081;");
}

TEST_F(GSettingsProxyTest, LockedKeyMemoryBackendAndBadTextAreRefusedBeforeAnyWrite) {
  fields.servers = {"new.example:3128", "", "", ""};
  fields.bypass = "a.example";
  // Keys outside the backend's root path are not writable: here all but the ftp server's.
  std::string file = testing::DesktopSandbox::Root() + "/locked.keyfile";
  GSettingsBackend* locked =
      g_keyfile_settings_backend_new(file.c_str(), "/system/proxy/ftp/", nullptr);
  GSettingsBackend* memory = g_memory_settings_backend_new();
  GSettingsConnectionProxy on_locked(locked), in_memory(memory);
  g_object_unref(locked);
  g_object_unref(memory);
  EXPECT_NE(Refusal(on_locked).find("'mode' is locked"), std::string::npos);
  EXPECT_NE(Refusal(in_memory).find("in memory only"), std::string::npos);
  fields.bypass = "ok;\xc3";
  EXPECT_NE(Refusal(component).find("not valid UTF-8"), std::string::npos);
  EXPECT_EQ(Desktop().find("new.example"), std::string::npos);  // nothing reached the desktop
}

}  // namespace
}  // namespace quillet
