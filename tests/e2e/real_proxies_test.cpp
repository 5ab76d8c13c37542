// Verification against real proxy servers on loopback addresses: the judge on 127.0.2.1, the
// proxies on 127.0.1.x, the own address 127.0.0.1 (none of them is part of another).
#include <gtest/gtest.h>

#include "core/text.h"
#include "e2e/loopback_server.h"
#include "e2e/real_servers.h"
#include "fakes/fake_user_interface.h"
#include "platform/posix/curl_http_client.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/posix_parallel_backend.h"
#include "verify/socket_layer.h"
#include "verify/verify_command.h"

namespace quillet {
namespace {

using namespace quillet::testing;

constexpr const char* kJudgeAddress = "127.0.2.1";
constexpr const char* kOwnAddress = "127.0.0.1";

struct Expected {
  std::string label, server_ip, server_name, status, secure;
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
    app_.TestHost = judge_.proxy();
    app_.TestPath = "/";
    app_.TestTimeoutMs = 2000;
    app_.PingTimeoutMs = 1000;
    app_.SearchText = "HTTP_CLIENT_IP";
    app_.FindIP = kOwnAddress;
  }

  RunningServer Tinyproxy(const std::string& listen, const std::string& bind,
                          const std::string& extra) {
    RunningServer server = StartTinyproxy(folder_, listen, bind, extra);
    EXPECT_TRUE(server) << "tinyproxy on " << listen << " did not start";
    return server;
  }

  // Puts the rows into a list, selects them all and runs the Verify command over them.
  void VerifyAll(const std::vector<Expected>& rows) {
    for (const Expected& row : rows) {
      list_.AddRow({"", kServerIpIndent + row.server_ip, row.server_name, row.label, "", "", "", "",
                    "", ""});
    }
    list_.SetCurrentRow(1);
    list_.SetCurrentCol(0);
    list_.SetSelectionEndRow(list_.LastRow());
    list_.SetSelectionEndCol(kColCol);
    app_.SelectedLines = Split(Trim(list_.SelectedText()), "\r");
    VerifyServices services{backend_, [](const std::string&) {}, "Quillet",
                            [] { return std::string("now"); }};
    VerifyToEnd({list_, app_, ui_}, services, 1);
  }

  // The judge page fetched straight through the proxy, to see what the judge saw.
  std::string PageThrough(const std::string& proxy) {
    HttpRequest request{proxy, kJudgeAddress, judge_.port, "/", 2000};
    return http_.Get(request).body;
  }

  TempFolder folder_;
  RunningServer judge_;
  CurlHttpClient http_;
  GetAddrInfoResolver resolver_;
  PosixParallelBackend backend_{resolver_};
  ProxyList list_;
  AppSettings app_;
  FakeUserInterface ui_;
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

  const std::vector<Expected> rows = {
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
  VerifyAll(rows);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
  for (size_t i = 0; i < rows.size(); ++i) {
    const Expected& row = rows[i];
    const ProxyRow& got = list_.Row(static_cast<int>(i) + 1);
    EXPECT_EQ(got.cells[kColStatus], row.status) << row.label;
    EXPECT_EQ(got.cells[kColSecure], row.secure) << row.label;
    EXPECT_EQ(got.cells[kColVerified], "now") << row.label;
    const std::string& ping = got.cells[kColPing];
    if (row.status == "OK") {
      EXPECT_TRUE(IsNumeric(ping)) << row.label << ": ping " << ping;
      EXPECT_EQ(got.back[kColStatus], PaletteColor(kPaletteBrightWhite)) << row.label;
    } else {
      EXPECT_EQ(ping, "") << row.label;
      EXPECT_EQ(got.back[kColStatus], list_.FailColor) << row.label;
    }
    EXPECT_EQ(got.cells[kColServerIp], kServerIpIndent + row.server_ip) << "not rewritten";
    if (!row.seen_as.empty()) {
      std::string proxy = row.server_ip.empty() ? "127.0.0.1:" + name_port : row.server_ip;
      EXPECT_NE(PageThrough(proxy).find("REMOTE_ADDR = " + row.seen_as + "\n"), std::string::npos)
          << row.label;
    }
  }
  EXPECT_FALSE(app_.Verifying);
  EXPECT_TRUE(app_.ListDirty);
  // What tells the kinds apart at the judge.
  EXPECT_NE(PageThrough(transparent.proxy()).find("HTTP_X_TINYPROXY = 127.0.0.1"),
            std::string::npos);
  EXPECT_NE(PageThrough(anonymous.proxy()).find("HTTP_VIA = 1.0 "), std::string::npos);
  EXPECT_NE(PageThrough(elite.proxy()).find("HTTP_VIA = \n"), std::string::npos);
  EXPECT_NE(PageThrough(squid.proxy()).find("HTTP_X_FORWARDED_FOR = 127.0.0.1"), std::string::npos);
}

}  // namespace
}  // namespace quillet
