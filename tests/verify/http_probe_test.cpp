#include "verify/http_probe.h"

#include <gtest/gtest.h>

#include "fakes/fake_user_interface.h"
#include "fakes/fake_verify_ports.h"

namespace quillet {
namespace {

using testing::FakeHttpClient;
using testing::FakeUserInterface;

TEST(SetTestPage, splitsHostAndPathOrSaysTheAddressIsMissing) {
  FakeUserInterface ui;
  AppSettings settings;
  std::string url = "HTTP://judge.example:8080/cgi/env.pl?x=1";
  SetTestPage(ui, settings, url);
  EXPECT_EQ(url + " " + settings.TestHost + " " + settings.TestPath,
            "judge.example:8080/cgi/env.pl?x=1 judge.example:8080 /cgi/env.pl?x=1");
  url = "HTTPS://localhost:65535";
  SetTestPage(ui, settings, url);
  EXPECT_EQ(settings.TestHost + settings.TestPath, "HTTPS://localhost:65535/");
  EXPECT_TRUE(ui.messages.empty());
  url = "?missing";
  SetTestPage(ui, settings, url);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Invalid or missing Test Page URL: ?missing\r\n(no host name before the path)\r\n"
            "Please use the Settings button to enter a valid URL.\r\nWithout a Test Page the proxy "
            "verification will not work.");
  EXPECT_EQ(settings.TestHost + settings.TestPath, "");
}

// The first block only, ports up to 65535, https pages; nothing is fetched through a proxy
// without a port or for a port that no test page has (reported under F6).
TEST(HttpGetViaProxy, requestsOfEveryTestPageAndWhatIsNeverAsked) {
  FakeUserInterface ui_;
  FakeHttpClient http_;
  auto Get = [&](std::string& proxy, const std::string& host) {
    return HttpGetViaProxy(ui_, http_, proxy, host, "/judge", 3000);
  };
  http_.replies["p:1"] = {200, std::string(5000, 'x')};
  for (const char* host : {"judge.example", "judge.example:40000", "https://judge.example"}) {
    std::string proxy = "p:1";
    EXPECT_EQ(Get(proxy, host).size(), kFirstBlockBytes) << host;
  }
  const auto& asked = http_.requests;
  std::string seen;
  for (const auto& r : asked)
    seen += (r.secure ? "s:" : ":") + r.host + ":" + std::to_string(r.port) + r.path + " ";
  EXPECT_EQ(seen, ":judge.example:80/judge :judge.example:40000/judge s:judge.example:443/judge ");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
  std::string proxy = "no-port-here";
  EXPECT_EQ(Get(proxy, "127.0.2.1:8080"), "");
  EXPECT_EQ(proxy, "no-port-here");
  proxy = "p:1";
  EXPECT_EQ(Get(proxy, "judge.example:http"), "");
  EXPECT_EQ(ui_.last_message().rfind("Function: F6\r\n", 0), 0u) << ui_.last_message();
  EXPECT_EQ(asked.size(), 3u);
}

// Elite, transparent and not-a-judge pages are proven against real proxies end to end.
TEST(JudgePage, ownAddressRules) {
  ProbeSettings settings{"127.0.2.1:8080", "/", 1000, 1000, "HTTP_CLIENT_IP", "", "10.0.0.5"};
  EXPECT_FALSE(JudgePage("http_client_ip 10.0.0.5", settings).Anonymous) << "any case";
  settings.FindIP = "192.0.2.7";
  EXPECT_TRUE(JudgePage("seen 10.0.0.5 HTTP_CLIENT_IP", settings).Anonymous) << "FindIP wins";
  EXPECT_FALSE(JudgePage("seen 192.0.2.7 HTTP_CLIENT_IP", settings).Anonymous);
  settings.FindIP.clear();
  settings.MyIP.clear();
  EXPECT_FALSE(JudgePage("anything HTTP_CLIENT_IP", settings).Anonymous) << "never anonymous";
  EXPECT_TRUE(JudgePage("", settings).NoSearchText);
}

TEST(JudgePage, levelAndRemoteAddressComeFromOwnAddressAndProxyHeaders) {
  ProbeSettings settings{"127.0.2.1", "/", 1000, 1000, "REMOTE_ADDR", "10.0.0.5", ""};
  const struct {
    const char* page;
    AnonymityLevel level;
  } cases[] = {
      {"REMOTE_ADDR = 127.0.1.2\nHTTP_X_FORWARDED_FOR = 10.0.0.5\n", AnonymityLevel::Transparent},
      {"REMOTE_ADDR = 127.0.1.2\nHTTP_VIA = \nHTTP_CLIENT_IP = \n", AnonymityLevel::Elite},
      {"REMOTE_ADDR = 127.0.1.2\nHTTP_VIA = 1.1 tinyproxy\n", AnonymityLevel::Anonymous},
      {"remote_addr: 127.0.1.2\r\nX-Real-IP: 192.0.2.9\r\n", AnonymityLevel::Anonymous},
      {"<pre>REMOTE_ADDR = 127.0.1.2\nHTTP_FORWARDED = for=x<br>\n", AnonymityLevel::Anonymous},
      {"REMOTE_ADDR = 127.0.1.2\nHTTP_VIAGRA = 1\nSEEN VIA = x\n", AnonymityLevel::Elite},
      {"<p>no judge here</p>", AnonymityLevel::Unknown},
      {"", AnonymityLevel::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(JudgePage(c.page, settings).Level, c.level) << c.page;
  // The remote address is the dotted value of its line.
  EXPECT_EQ(RemoteAddressOf("REMOTE_PORT = 1\nREMOTE_ADDR = 203.0.113.4\n"), "203.0.113.4");
  EXPECT_EQ(RemoteAddressOf("<pre>remote_addr: 203.0.113.4<br>\n"), "203.0.113.4");
  EXPECT_EQ(RemoteAddressOf("REMOTE_ADDR = \nHTTP_VIA = 1.2.3.4\n") +
                RemoteAddressOf("REMOTE_ADDR = unknown\n"),
            "");
}

}  // namespace
}  // namespace quillet
