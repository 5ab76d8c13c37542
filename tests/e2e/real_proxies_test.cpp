// Verification against real proxy servers on loopback addresses: the judge on 127.0.2.1, the
// proxies on 127.0.1.x, the own address 127.0.0.1 (none of them is part of another).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include "core/text.h"
#include "e2e/loopback_server.h"
#include "e2e/real_servers.h"
#include "platform/posix/curl_http_client.h"
#include "platform/posix/icmp_pinger.h"
#include "verify/row_check.h"

namespace quillet {
namespace {

using namespace quillet::testing;

constexpr const char* kJudgeAddress = "127.0.2.1";
constexpr const char* kOwnAddress = "127.0.0.1";

std::string FirstIpv4(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return "";
  char text[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
  freeaddrinfo(found);
  return text;
}

struct Expected {
  std::string label;
  std::string server_ip;    // cell 1
  std::string server_name;  // cell 2
  std::string status;
  std::string secure;
  std::string seen_as;  // REMOTE_ADDR the judge reports through this proxy ("" to skip)
};

class RealProxiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
      GTEST_SKIP() << "no ICMP socket is permitted here (see README, troubleshooting)";
    }
    if (FindProgram("tinyproxy").empty() || FindProgram("squid").empty()) {
      GTEST_SKIP() << "tinyproxy and squid are needed (make test installs them)";
    }
    judge_ = StartJudge(folder_, kJudgeAddress);
    ASSERT_TRUE(judge_) << ReadFile(judge_.log);
    settings_.TestHost = judge_.proxy();
    settings_.TestPath = "/";
    settings_.TestTimeoutMs = 2000;
    settings_.PingTimeoutMs = 1000;
    settings_.SearchText = "HTTP_CLIENT_IP";
    settings_.FindIP = kOwnAddress;
  }

  RunningServer Tinyproxy(const std::string& listen, const std::string& bind,
                          const std::string& extra) {
    RunningServer server = StartTinyproxy(folder_, listen, bind, extra);
    EXPECT_TRUE(server) << "tinyproxy on " << listen << " did not start";
    return server;
  }

  RowCheckOutcome Check(const Expected& row) {
    return CheckRow(Split("\t" + row.server_ip + "\t" + row.server_name + "\t\t\t\t\t\t\t", "\t"),
                    settings_, services_);
  }

  // The judge page fetched straight through the proxy, to see what the judge saw.
  std::string PageThrough(const std::string& proxy) {
    HttpRequest request{proxy, kJudgeAddress, judge_.port, "/", 2000};
    return http_.Get(request).body;
  }

  TempFolder folder_;
  RunningServer judge_;
  ProbeSettings settings_;
  CurlHttpClient http_;
  IcmpPinger pinger_;
  RowCheckServices services_{http_, pinger_, FirstIpv4};
};

TEST_F(RealProxiesTest, everyKindOfProxyGetsItsOutcome) {
  RunningServer transparent = Tinyproxy("127.0.1.11", "127.0.1.11", "XTinyproxy Yes");
  RunningServer anonymous = Tinyproxy("127.0.1.12", "127.0.1.12", "");
  RunningServer elite = Tinyproxy("127.0.1.13", "127.0.1.13", "DisableViaHeader Yes");
  RunningServer deny = Tinyproxy("127.0.1.14", "127.0.1.14", "Allow 127.0.0.2");
  RunningServer by_name = Tinyproxy(kOwnAddress, "127.0.1.18", "DisableViaHeader Yes");
  RunningServer squid = StartSquid(folder_, "127.0.1.21", "forwarded_for on");
  ASSERT_TRUE(squid) << ReadFile(squid.log);
  LoopbackServer black_hole("127.0.1.16", CloseAtOnce(), false);
  LoopbackServer not_a_judge(
      "127.0.1.17", AnswerWith("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>Hi</p>"));
  std::string closed = "127.0.1.15:" + std::to_string(ClosedPort("127.0.1.15"));
  std::string name_port = std::to_string(by_name.port);

  const Expected rows[] = {
      {"transparent", transparent.proxy(), "", "OK", "N", "127.0.1.11"},
      {"anonymous", anonymous.proxy(), "", "OK", "Y", "127.0.1.12"},
      {"elite", elite.proxy(), "", "OK", "Y", "127.0.1.13"},
      {"squid transparent", squid.proxy(), "", "OK", "N", "127.0.1.21"},
      {"deny", deny.proxy(), "", "403", "", ""},
      {"closed port", closed, "", "--", "", ""},
      {"black hole", black_hole.proxy(), "", "--", "", ""},
      {"not a judge", not_a_judge.proxy(), "", "OK", "?", ""},
      {"by name", "", "localhost:" + name_port, "OK", "Y", "127.0.1.18"},
      {"unresolvable", "", "no..such.host:" + name_port, "--", "", ""},
  };
  for (const Expected& row : rows) {
    RowCheckOutcome outcome = Check(row);
    EXPECT_FALSE(outcome.failure) << row.label;
    EXPECT_EQ(outcome.status, row.status) << row.label;
    EXPECT_EQ(outcome.secure, row.secure) << row.label;
    if (row.status == "OK") {
      EXPECT_TRUE(IsNumeric(outcome.ping)) << row.label << ": ping " << outcome.ping;
    } else {
      EXPECT_EQ(outcome.ping, "") << row.label;
    }
    if (!row.seen_as.empty()) {
      std::string proxy = row.server_ip.empty() ? "127.0.0.1:" + name_port : row.server_ip;
      EXPECT_NE(PageThrough(proxy).find("REMOTE_ADDR = " + row.seen_as + "\n"), std::string::npos)
          << row.label;
    }
  }
  // What tells the kinds apart at the judge.
  EXPECT_NE(PageThrough(transparent.proxy()).find("HTTP_X_TINYPROXY = 127.0.0.1"),
            std::string::npos);
  EXPECT_NE(PageThrough(anonymous.proxy()).find("HTTP_VIA = 1.0 "), std::string::npos);
  EXPECT_NE(PageThrough(elite.proxy()).find("HTTP_VIA = \n"), std::string::npos);
  EXPECT_NE(PageThrough(squid.proxy()).find("HTTP_X_FORWARDED_FOR = 127.0.0.1"), std::string::npos);
}

}  // namespace
}  // namespace quillet
