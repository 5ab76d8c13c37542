// Apply on a Linux desktop: every setting some program reads, the notice made from the table of
// who follows, the way back over settings kept in memory, and the texts the desktop stores.
#include <gtest/gtest.h>

#include <tuple>

#include "browser/apply.h"
#include "browser/desktop_proxy_settings.h"
#include "browser/desktop_proxy_text.h"
#include "core/errors.h"
#include "fakes/temp_dir.h"

namespace quillet {
namespace {

// One desktop setting: the server text and flags as its two keys.
struct MemoryTarget : DesktopProxyTarget {
  KeptValues values{{"server", std::nullopt}, {"flags", "1"}};
  std::string refusal;  // CheckValues refuses with this reason
  void CheckValues(const std::string&, int32_t, const std::string&) override {
    if (!refusal.empty()) throw RunTimeError(kErrPermission, refusal);
  }
  void SetConnectionOption(int32_t option, const std::string&, const std::string& value,
                           int32_t flags) override {
    if (option != kProxyOptionServer) return;
    values["server"] = value;
    values["flags"] = std::to_string(flags);
  }
  void GetConnectionOption(int32_t, const std::string&, std::string& value,
                           int32_t& flags) override {
    value = values["server"].value_or("");
    flags = std::stoi(*values["flags"]);
  }
  KeptValues Keep() override { return values; }
  void PutBack(const KeptValues& kept) override { values = kept; }
};

std::vector<DesktopProxySettings::Target> Targets(MemoryTarget* kde, MemoryTarget* gnome) {
  std::vector<DesktopProxySettings::Target> targets;
  targets.push_back({ProxyTarget::Kioslaverc, std::unique_ptr<DesktopProxyTarget>(kde)});
  targets.push_back({ProxyTarget::GSettings, std::unique_ptr<DesktopProxyTarget>(gnome)});
  return targets;
}

struct Desktop {
  MemoryTarget *gnome = new MemoryTarget, *kde = new MemoryTarget;
  DesktopProxySettings settings;
  Desktop(DesktopFamily family, const std::string& kept)
      : settings(family, "XFCE", Targets(kde, gnome), kept) {}
  FollowersNotice Apply(const std::string& server, const std::string& socks = "") {
    ProxyFields fields;
    fields.proxy = CheckState::Checked;
    fields.servers[0] = server;
    fields.socks = socks;
    WriteProxySettings(settings, fields);
    return settings.FinishApply();
  }
};

TEST(DesktopProxySettings, KdeWritesBothKeepsTheFirstSettingsAcrossRestartsAndRestoresThem) {
  testing::TempDir temp;
  std::string kept = temp / "data/kept.txt";
  {
    Desktop desktop(DesktopFamily::Kde, kept);
    desktop.gnome->values = {{"server", "mine:1\tx\\s \n"}, {"flags", "2"}};
    desktop.kde->values = desktop.gnome->values;
    desktop.kde->values["unset"] = std::nullopt;
    FollowersNotice notice = desktop.Apply("mine:1\tx\\s \n");
    EXPECT_FALSE(desktop.settings.HasKeptSettings());  // nothing changed, nothing to restore
    EXPECT_EQ(notice.text,
              "On KDE Plasma these programs follow the new proxy settings: Firefox, Chromium.");
    EXPECT_EQ(desktop.Apply("q:1").text, "");  // said once
#ifndef _WIN32
    // It may hold the desktop's proxy password: its owner alone reads it.
    EXPECT_EQ(std::filesystem::status(kept).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
    EXPECT_EQ(desktop.kde->values["server"], "q:1");
    desktop.Apply("q:2");  // the kept copy stays the desktop's own
    EXPECT_EQ(desktop.gnome->values["server"], "q:2");
  }
  Desktop restarted(DesktopFamily::Kde, kept);
  ASSERT_TRUE(restarted.settings.HasKeptSettings());
  EXPECT_EQ(RestorePreviousSettings(restarted.settings), "");
  KeptValues before{{"server", "mine:1\tx\\s \n"}, {"flags", "2"}, {"unset", std::nullopt}};
  EXPECT_EQ(restarted.kde->values, before);
  before.erase("unset");
  EXPECT_EQ(restarted.gnome->values, before);
  EXPECT_FALSE(restarted.settings.HasKeptSettings());
  EXPECT_NE(RestorePreviousSettings(restarted.settings).find("kept no previous"),
            std::string::npos);
}

TEST(DesktopProxySettings, NoticeNamesWhoDoesNotFollowAndWhyAndAllFailingWritesNothing) {
  testing::TempDir temp;
  Desktop kde(DesktopFamily::Kde, temp / "kept-kde.txt");
  kde.kde->refusal = "KDE's proxy setting 'httpProxy' is locked ([$i]).";
  FollowersNotice notice = kde.Apply("q:1");
  EXPECT_TRUE(notice.warning);
  EXPECT_EQ(notice.text,
            "On KDE Plasma these programs follow the new proxy settings: Firefox.\n"
            "Chromium does not: KDE's proxy setting 'httpProxy' is locked ([$i]).");
  EXPECT_EQ(kde.gnome->values["server"], "q:1");
  EXPECT_EQ(kde.kde->values["server"], std::nullopt);

  Desktop xfce(DesktopFamily::Other, temp / "kept-xfce.txt");
  EXPECT_TRUE(xfce.Apply("", "s:2").text.starts_with(
      "On XFCE no program follows the new proxy settings.\nFirefox does not: with only a SOCKS "
      "server set it asks in SOCKS 4a, which SOCKS 5 servers do not answer.\nChromium does not"));
  notice = xfce.Apply("h:1", "s:2");
  EXPECT_EQ(notice.clipboard, "chromium --proxy-server=\"http=h:1;socks=socks5://s:2\"");
  EXPECT_EQ(notice.text,
            "On XFCE these programs follow the new proxy settings: Firefox.\n"
            "Chromium does not: it reads no desktop proxy setting on XFCE. Start it "
            "as\n" +
                notice.clipboard + "\n(this line is on the clipboard).");
  EXPECT_EQ(xfce.kde->values["server"], std::nullopt);  // not on this desktop

  xfce.gnome->refusal = "GNOME's proxy settings are not installed.";
  EXPECT_THROW(xfce.Apply("h:3"), RunTimeError);
  EXPECT_EQ(xfce.gnome->values["server"], "http=h:1;socks=s:2;");
  EXPECT_EQ(ChromiumSwitch("h:1"), "chromium --proxy-server=\"h:1\"");

  // User names and passwords: said where they went and where they have no place; the start
  // line never carries them.
  xfce.gnome->refusal = "";
  notice = xfce.Apply("u:p@h:4", "u:p@s:4");
  EXPECT_EQ(notice.clipboard, "chromium --proxy-server=\"http=h:4;socks=socks5://s:4\"");
  EXPECT_TRUE(notice.text.ends_with(
      "\nThe HTTP proxy's user name and password are in GNOME's settings.\nThe desktop's SOCKS "
      "setting has no place for a user name and password: they were not written."))
      << notice.text;
  kde.kde->refusal = "";
  notice = kde.Apply("u:p@h:5");
  EXPECT_NE(notice.text.find("\nKDE's proxy settings have no place"), std::string::npos);
}

// The bypass list as typed, as the desktop stores it, and as it reads back.
TEST(DesktopBypass, TranslatesBothWaysAndRefusesWhatCannotBeExpressed) {
  for (const auto& [typed, hosts, read_back] :
       std::vector<std::tuple<std::string, std::vector<std::string>, std::string>>{
           {" 192.168.*; 172.16.5.*;", {"192.168.0.0/16", "172.16.5.0/24"}, "192.168.*;172.16.5.*"},
           {"*.example.com;10.1.0.0/16;10.0.0.0/8",
            {"*.example.com", "10.1.0.0/16", "10.0.0.0/8"},
            "*.example.com;10.1.*;10.*"},
           {"x;<LOCAL>;<-loopback>",
            {"x", "localhost", "127.0.0.0/8", "::1", "<-loopback>"},
            "x;<-loopback>;<local>"},
           {"x;localhost;::1", {"x", "localhost", "::1"}, "x;localhost;::1"}}) {
    EXPECT_EQ(DesktopBypassHosts(typed), hosts) << typed;
    EXPECT_EQ(BypassListOf(hosts), read_back) << typed;
  }
  try {
    DesktopBypassHosts("ok;www.*.com;*;300.*;a b;a,b");
    ADD_FAILURE() << "taken";
  } catch (const TypingMistake& refused) {
    EXPECT_STREQ(refused.what(),
                 "The desktop cannot express these bypass entries: 'www.*.com', '*', '300.*', "
                 "'a b', 'a,b'. Nothing was written.");
  }
}

TEST(DesktopServers, PortsFormsReadBackAndRefusals) {
  EXPECT_EQ(ProxyStringOf(DesktopServers("h")), "h:80");  // no port: 80, as on Windows
  EXPECT_EQ(ProxyStringOf(DesktopServers("http=a:1;ftp=f:21;gopher=g:70;")), "http=a:1;ftp=f:21;");
  EXPECT_EQ(ProxyStringOf({{{"a", 1}, {"a", 2}, {"a", 1}}}), "http=a:1;https=a:2;ftp=a:1;");
  EXPECT_EQ(ProxyStringOf(DesktopServers("socks=k;")), "socks=k:1080;");  // SOCKS's own port
  EXPECT_EQ(ProxyStringOf(DesktopServers("http=a:1;https=a:1;ftp=a:1;gopher=a:1;socks=k:2;")),
            "http=a:1;https=a:1;ftp=a:1;socks=k:2;");  // no bare form beside a SOCKS server
  for (const char* bad :
       {"socks=k:0;", "h:0", "h:65536", "h:8o", ":80", "http=h:x;", "h\xc3", "\xed\xa0\x80",
        "http=b/;", "http://h:8080", "a b:1", "@h:1:31", "u:p@h:1:31"}) {
    EXPECT_THROW(DesktopServers(bad), RunTimeError) << bad;
  }
  EXPECT_THROW(DesktopServers(std::string("h\0x:1", 5)), RunTimeError);  // a C string would cut it
}

}  // namespace
}  // namespace quillet
