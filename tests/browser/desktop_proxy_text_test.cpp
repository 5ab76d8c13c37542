#include "browser/desktop_proxy_text.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace quillet {
namespace {

// The bypass list as typed, as the desktop stores it, and as it reads back.
TEST(DesktopBypass, TranslatesBothWays) {
  struct Case {
    std::string typed;
    std::vector<std::string> hosts;
    std::string read_back;
  };
  for (const Case& c : std::vector<Case>{
           {"192.168.*", {"192.168.0.0/16"}, "192.168.*"},
           {" 10.*; 172.16.5.*;", {"10.0.0.0/8", "172.16.5.0/24"}, "10.*;172.16.5.*"},
           {"*.example.com;a.example", {"*.example.com", "a.example"}, "*.example.com;a.example"},
           {"10.1.0.0/16;<-loopback>", {"10.1.0.0/16", "<-loopback>"}, "10.1.*;<-loopback>"},
           {"10.1.0.0/12", {"10.1.0.0/12"}, "10.1.0.0/12"},
           {"x;<LOCAL>", {"x", "localhost", "127.0.0.0/8", "::1"}, "x;<local>"},
           {"x;localhost;::1", {"x", "localhost", "::1"}, "x;localhost;::1"},
       }) {
    EXPECT_EQ(DesktopBypassHosts(c.typed), c.hosts) << c.typed;
    EXPECT_EQ(BypassListOf(c.hosts), c.read_back) << c.typed;
  }
}

TEST(DesktopBypass, RefusesWhatTheDesktopCannotExpressNamingEveryEntry) {
  try {
    DesktopBypassHosts("ok;www.*.com;*;300.*");
    ADD_FAILURE() << "taken";
  } catch (const RunTimeError& refused) {
    std::string reason = refused.what();
    for (const char* entry : {"'www.*.com'", "'*'", "'300.*'", "Nothing was written"}) {
      EXPECT_NE(reason.find(entry), std::string::npos) << reason;
    }
    EXPECT_EQ(reason.find("'ok'"), std::string::npos) << reason;
  }
  for (const char* typed : {"a b", "a,b", "ok;\xff\xfe"}) {
    EXPECT_THROW(DesktopBypassHosts(typed), RunTimeError) << typed;
  }
}

TEST(DesktopServers, PortsFormsAndReadBack) {
  using Servers = std::array<DesktopServer, 3>;
  Servers all{{{"h", 80}, {"h", 80}, {"h", 80}}};
  EXPECT_EQ(DesktopServers("h"), all);  // no port: 80, as on Windows
  EXPECT_EQ(ProxyStringOf(all), "h:80");
  Servers mixed{{{"a", 1}, {}, {"f", 21}}};
  EXPECT_EQ(DesktopServers("http=a:1;ftp=f:21;gopher=g:70;"), mixed);
  EXPECT_EQ(ProxyStringOf(mixed), "http=a:1;ftp=f:21;");
  EXPECT_EQ(ProxyStringOf({{{"a", 1}, {"a", 2}, {"a", 1}}}), "http=a:1;https=a:2;ftp=a:1;");
  EXPECT_EQ(DesktopServers(""), Servers{});
  for (const char* bad : {"h:0", "h:65536", "h:8o", ":80", "http=h:x;", "h\xc3"}) {
    EXPECT_THROW(DesktopServers(bad), RunTimeError) << bad;
  }
}

TEST(IsValidUtf8, AcceptsOnlyWellFormedText) {
  for (const char* good : {"", "plain", "caf\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80"}) {
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  }
  for (const char* bad : {"\x80", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
}

}  // namespace
}  // namespace quillet
