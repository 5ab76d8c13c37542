#include "browser/desktop_proxy_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/errors.h"

namespace quillet {
namespace {

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
       {"socks=k:0;", "h:0", "h:65536", "h:8o", ":80", "http=h:x;", "h\xc3", "\xed\xa0\x80"}) {
    EXPECT_THROW(DesktopServers(bad), RunTimeError) << bad;
  }
  EXPECT_THROW(DesktopServers(std::string("h\0x:1", 5)), RunTimeError);  // a C string would cut it
}

}  // namespace
}  // namespace quillet
