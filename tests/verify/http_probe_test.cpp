#include "verify/http_probe.h"

#include <gtest/gtest.h>

#include "fakes/fake_user_interface.h"
#include "fakes/fake_verify_ports.h"

namespace quillet {
namespace {

using testing::FakeHttpClient;
using testing::FakeUserInterface;

TEST(SetTestPage, missingAddress_showsMessageAndLeavesHostEmpty) {
  FakeUserInterface ui;
  AppSettings settings;
  settings.TestHost = "old";
  std::string url = "?missing";
  SetTestPage(ui, settings, url);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Invalid or missing Test Page URL: ?missing\r\nPlease use the Settings button to enter "
            "a valid URL.\r\nWithout a Test Page the proxy verification will not work.");
  EXPECT_EQ(settings.TestHost, "");
  EXPECT_EQ(settings.TestPath, "");
}

TEST(SetTestPage, splitsHostAndPath_removingPrefixInAnyCase) {
  FakeUserInterface ui;
  AppSettings settings;
  std::string url = "HTTP://judge.example:8080/cgi/env.pl?x=1";
  SetTestPage(ui, settings, url);
  EXPECT_EQ(url, "judge.example:8080/cgi/env.pl?x=1");
  EXPECT_EQ(settings.TestHost, "judge.example:8080");
  EXPECT_EQ(settings.TestPath, "/cgi/env.pl?x=1");

  url = "http://judge.example";
  SetTestPage(ui, settings, url);
  EXPECT_EQ(settings.TestHost, "judge.example");
  EXPECT_EQ(settings.TestPath, "/");

  url = "judge.example/" + std::string(300, 'p');
  SetTestPage(ui, settings, url);
  EXPECT_EQ(settings.TestPath, "/" + std::string(249, 'p'));
  EXPECT_TRUE(ui.messages.empty());
}

class HttpGetTest : public ::testing::Test {
 protected:
  std::string Get(std::string& proxy, const std::string& host = "127.0.2.1:8080") {
    return HttpGetViaProxy(ui_, http_, proxy, host, "/judge", 3000);
  }
  FakeUserInterface ui_;
  FakeHttpClient http_;
};

TEST_F(HttpGetTest, outcomesMapOntoProxyText) {
  http_.replies["127.0.1.11:3128"] = {200, "page"};
  http_.replies["127.0.1.12:3128"] = {403, "denied"};
  http_.replies["127.0.1.13:3128"] = {200, ""};
  struct Case {
    std::string proxy, body, proxy_after;
  } cases[] = {
      {"127.0.1.11:3128", "page", "--"},
      {"127.0.1.12:3128", "", "403"},
      {"127.0.1.13:3128", "", "--"},
      {"127.0.1.14:3128", "", "--"},  // no answer at all
  };
  for (const Case& c : cases) {
    std::string proxy = c.proxy;
    EXPECT_EQ(Get(proxy), c.body) << c.proxy;
    EXPECT_EQ(proxy, c.proxy_after) << c.proxy;
  }
  const HttpRequest& sent = http_.requests.front();
  EXPECT_EQ(sent.host, "127.0.2.1");
  EXPECT_EQ(sent.port, 8080);
  EXPECT_EQ(sent.path, "/judge");
  EXPECT_EQ(sent.timeout_ms, 3000);
}

TEST_F(HttpGetTest, proxyWithoutColon_isLeftAloneAndNothingFetched) {
  std::string proxy = "no-port-here";
  EXPECT_EQ(Get(proxy), "");
  EXPECT_EQ(proxy, "no-port-here");
  EXPECT_TRUE(http_.requests.empty());
}

TEST_F(HttpGetTest, bodyIsCutAtFirstBlock_andHostWithoutPortUses80) {
  http_.replies["p:1"] = {200, std::string(5000, 'x')};
  std::string proxy = "p:1";
  EXPECT_EQ(Get(proxy, "judge.example").size(), kFirstBlockBytes);
  EXPECT_EQ(http_.requests.back().port, 80);
}

TEST_F(HttpGetTest, badPortInTestHost_isReportedUnderF6) {
  for (const char* host : {"judge.example:40000", "judge.example:http"}) {
    std::string proxy = "127.0.1.11:3128";
    EXPECT_EQ(Get(proxy, host), "");
    ASSERT_FALSE(ui_.messages.empty());
    EXPECT_EQ(ui_.last_message().rfind("Function: F6\r\n", 0), 0u) << ui_.last_message();
  }
  EXPECT_TRUE(http_.requests.empty());
}

class ProbeTest : public ::testing::Test {
 protected:
  ProbeTest() {
    settings_.TestHost = "127.0.2.1:8080";
    settings_.TestPath = "/";
    settings_.SearchText = "HTTP_CLIENT_IP";
    settings_.MyIP = "10.0.0.5";
  }
  ProbeResult Probe(const std::string& page) {
    http_.replies["127.0.1.11:3128"] = {200, page};
    std::string proxy = "127.0.1.11:3128";
    return ProbeProxy(ui_, http_, settings_, proxy);
  }
  FakeUserInterface ui_;
  FakeHttpClient http_;
  ProbeSettings settings_;
};

TEST_F(ProbeTest, judgesOwnAddressAndSearchText_ignoringCase) {
  ProbeResult elite = Probe("REMOTE_ADDR = 127.0.1.11\nhttp_client_ip = \n");
  EXPECT_TRUE(elite.Answered);
  EXPECT_TRUE(elite.Anonymous);
  EXPECT_FALSE(elite.NoSearchText);

  ProbeResult transparent = Probe("HTTP_X_FORWARDED_FOR = 10.0.0.5\nHTTP_CLIENT_IP = \n");
  EXPECT_FALSE(transparent.Anonymous);

  ProbeResult error_page = Probe("<html>Access denied by policy</html>");
  EXPECT_TRUE(error_page.Answered);
  EXPECT_TRUE(error_page.NoSearchText);
}

TEST_F(ProbeTest, findIpTakesPrecedenceOverMyIp) {
  settings_.FindIP = "192.0.2.7";
  EXPECT_TRUE(Probe("seen 10.0.0.5 HTTP_CLIENT_IP").Anonymous);
  EXPECT_FALSE(Probe("seen 192.0.2.7 HTTP_CLIENT_IP").Anonymous);
}

TEST_F(ProbeTest, ownAddressBeyondFirstBlock_isNotSeen) {
  std::string page = "HTTP_CLIENT_IP" + std::string(kFirstBlockBytes, ' ') + "10.0.0.5";
  EXPECT_TRUE(Probe(page).Anonymous);
}

TEST_F(ProbeTest, emptyOwnAddress_makesNoProxyAnonymous) {
  settings_.MyIP.clear();
  EXPECT_FALSE(Probe("anything HTTP_CLIENT_IP").Anonymous);
}

TEST_F(ProbeTest, testHostPortIsKeptForEveryProbe) {
  Probe("a");
  Probe("b");
  ASSERT_EQ(http_.requests.size(), 2u);
  EXPECT_EQ(http_.requests[1].port, 8080);
  EXPECT_EQ(settings_.TestHost, "127.0.2.1:8080");
}

TEST_F(ProbeTest, noAnswer_isNotAnswered_andStatusReachesProxyText) {
  http_.replies["127.0.1.11:3128"] = {502, "bad gateway"};
  std::string proxy = "127.0.1.11:3128";
  ProbeResult result = ProbeProxy(ui_, http_, settings_, proxy);
  EXPECT_FALSE(result.Answered);
  EXPECT_EQ(proxy, "502");
}

}  // namespace
}  // namespace quillet
