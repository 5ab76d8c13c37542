// The desktop proxy settings adapters, KDE's kioslaverc and GNOME's GSettings, on the files and
// keys of a desktop of their own.
#define G_SETTINGS_ENABLE_BACKEND
#include "platform/posix/kioslaverc_connection_proxy.h"

#include <gio/gio.h>
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "core/errors.h"
#include "desktop_sandbox.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"

namespace quillet {
namespace {

using testing::DesktopSandbox;
using testing::ReadTextFile;
using testing::WriteTextFile;

const std::string kOthers =
    "[$Version]\nupdate_info=kioslave.upd:change-proxy-key\n\n"
    "[Proxy Settings]\nAuthMode=0\nProxyType=4\nReversedException=true\n\n"
    "[Other]\nodd=a\\sb;c\nlist[de]=x\n";

std::string KioslavercPath() {
  return DesktopSandbox::Root() + "/kde/kioslaverc";
}

ProxyFields Read(KioslavercConnectionProxy& component) {
  ProxyFields fields;
  ReadProxySettings(component, fields);
  return fields;
}

// The reason applying `fields` was refused, or "taken".
std::string Refusal(ConnectionProxyComponent& component, ProxyFields fields) {
  try {
    WriteProxySettings(component, fields);
  } catch (const RunTimeError& refused) {
    return refused.what();
  }
  return "taken";
}

TEST(KioslavercConnectionProxy, WritesKdeFormsChangesOnlyItsLinesAndReadsBack) {
  WriteTextFile(KioslavercPath(), kOthers);
  KioslavercConnectionProxy component(KioslavercPath());
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = {"h:3128", "", "f", ""};
  fields.bypass = "a.example;10.*";
  fields.bypass_local = true;
  WriteProxySettings(component, fields);
  EXPECT_EQ(ReadTextFile(KioslavercPath()),
            "[$Version]\nupdate_info=kioslave.upd:change-proxy-key\n\n"
            "[Proxy Settings]\nAuthMode=0\nProxyType=1\nReversedException=false\n"
            "httpProxy=http://h 3128\nftpProxy=http://f 80\n"
            "NoProxyFor=a.example,10.0.0.0/8,localhost,127.0.0.0/8,::1\n\n"
            "[Other]\nodd=a\\sb;c\nlist[de]=x\n");
  ProxyFields shown = Read(component);
  EXPECT_EQ(shown.servers, (std::array<std::string, 4>{"h:3128", "", "f:80", ""}));
  EXPECT_EQ(shown.bypass + (shown.bypass_local ? "+local" : ""), "a.example;10.*;+local");

  // KDE's own dialog writes one server for all with "host port"; off is ProxyType 0. Lines
  // KDE skips (no "=", comments, CR LF endings) stay where they are.
  const std::string kde =
      "# mine\r\n[Proxy Settings]\r\nProxyType=0\r\nstray line\r\nhttpProxy=http://k 8080\r\n"
      "httpsProxy=http://k 8080\r\nftpProxy=k:8080\r\nNoProxyFor=a, b\r\n";
  WriteTextFile(KioslavercPath(), kde);
  shown = Read(component);
  EXPECT_EQ(shown.proxy, CheckState::Unchecked);
  EXPECT_EQ(shown.servers[0] + (shown.same ? " same " : " ") + shown.bypass, "k:8080 same a;b");
  fields.servers = {"k:8080", "", "", ""};
  fields.socks = "s:1081";  // the SOCKS server beside the HTTP one
  fields.same = true;
  fields.bypass = "a;b";
  fields.bypass_local = false;
  WriteProxySettings(component, fields);
  EXPECT_EQ(ReadTextFile(KioslavercPath()),
            "# mine\r\n[Proxy Settings]\r\nProxyType=1\r\nstray line\r\nhttpProxy=http://k 8080\r\n"
            "httpsProxy=http://k 8080\r\nftpProxy=k:8080\r\nNoProxyFor=a, b\r\n"
            "socksProxy=socks://s 1081\r\n");
  EXPECT_EQ(Read(component).servers[0] + " " + Read(component).socks, "k:8080 s:1081");
}

// What the window shows of a file KDE accepts, applied again unchanged, leaves every byte.
TEST(KioslavercConnectionProxy, NoOpApplyLeavesEveryFileKdeAcceptsByteForByte) {
  for (const std::string& text : std::vector<std::string>{
           kOthers,
           "[Proxy Settings]\nProxyType=1\nhttpProxy=http://portless\nhttpsProxy=http://h:81/\n"
           "ftpProxy=ftp://h 21/\nsocksProxy=socks://s\nNoProxyFor=foo.0.0.0/8,10.0.0.0/8,*.x\n",
           "[Proxy Settings][$i]\nProxyType=2\nstray\n# c\nhttpProxy = http://a 1 "
           "\nNoProxyFor=a*b\n",
           "[$i]\n[Proxy "
           "Settings]\nProxyType=1\nNoProxyFor=localhost,x,::1,127.0.0.0/8,010.0.0.0/8",
           "[Proxy Settings]\nProxyType=1\nhttpProxy=http://a 1\nhttpProxy[$i]=http://b 2\n"
           "httpsProxy=http://a 99999\nNoProxyFor=<LOCAL>,a;b",
       }) {
    WriteTextFile(KioslavercPath(), text);
    KioslavercConnectionProxy component(KioslavercPath());
    ProxyFields fields = Read(component);
    EXPECT_NO_THROW(WriteProxySettings(component, fields)) << text;
    EXPECT_EQ(ReadTextFile(KioslavercPath()), text);
  }
}

TEST(KioslavercConnectionProxy, LockedKeyOrGroupAndUnreadableFileAreReportedAndLeftAsTheyAre) {
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = {"n:1", "", "", ""};
  for (const char* text : {"[Proxy Settings][$i]\nProxyType=0\n",
                           "[Proxy Settings]\nProxyType=0\nhttpProxy[$i]=http://o 2\n",
                           "[$i]\n[Other]\nx=1\n"}) {  // the whole file, without our group
    WriteTextFile(KioslavercPath(), text);
    KioslavercConnectionProxy component(KioslavercPath());
    EXPECT_NE(Refusal(component, fields).find("is locked ([$i])"), std::string::npos) << text;
    EXPECT_EQ(ReadTextFile(KioslavercPath()), text);
  }
  std::filesystem::remove(KioslavercPath());
  std::filesystem::create_directory(KioslavercPath());  // a folder is no file KDE can read
  KioslavercConnectionProxy folder(KioslavercPath());
  EXPECT_THROW(Read(folder), RunTimeError);
  EXPECT_NE(Refusal(folder, fields).find("left it as it is"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(KioslavercPath()));
  std::filesystem::remove(KioslavercPath());
}

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
  EXPECT_NE(Refusal(on_locked, fields).find("'mode' is locked"), std::string::npos);
  EXPECT_NE(Refusal(in_memory, fields).find("in memory only"), std::string::npos);
  fields.bypass = "ok;\xc3";
  EXPECT_NE(Refusal(component, fields).find("not valid UTF-8"), std::string::npos);
  EXPECT_EQ(Desktop().find("new.example"), std::string::npos);  // nothing reached the desktop
}

}  // namespace
}  // namespace quillet
