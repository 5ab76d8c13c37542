// Verification against real proxy servers on loopback addresses: the judge on 127.0.2.1, the
// proxies on 127.0.1.x, the own address 127.0.0.1 (none of them is part of another).
#include <gtest/gtest.h>

#include "core/text.h"
#include "e2e/real_servers.h"
#include "fakes/fake_user_interface.h"
#include "fakes/loopback_server.h"
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

struct Expected {
  std::string label, server_ip, server_name, status, secure;
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
    judge_ = StartJudge(kJudgeAddress);
    ASSERT_TRUE(judge_);
    app_.TestHost = kJudgeAddress + (":" + std::to_string(judge_->port()));
    app_.TestPath = "/";
    app_.TestTimeoutMs = 2000;
    app_.PingTimeoutMs = 1000;
    app_.SearchText = "HTTP_CLIENT_IP";
    app_.FindIP = "127.0.0.1";
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

  TempDir folder_;
  std::unique_ptr<judge::JudgeServer> judge_;
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
  RunningServer by_name = Tinyproxy("127.0.0.1", "127.0.1.18", "DisableViaHeader Yes");
  RunningServer squid = StartSquid(folder_, "127.0.1.21", "forwarded_for on");
  ASSERT_TRUE(squid) << "squid on 127.0.1.21 did not start";
  LoopbackServer black_hole("127.0.1.16", CloseAtOnce(), false);
  LoopbackServer not_a_judge(
      "127.0.1.17", AnswerWith("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>Hi</p>"));
  std::string closed = "127.0.1.15:" + std::to_string(ClosedPort("127.0.1.15"));
  std::string name_port = std::to_string(by_name.port);

  const std::vector<Expected> rows = {
      {"transparent", transparent.proxy(), "", "OK", "N"},
      {"anonymous", anonymous.proxy(), "", "OK", "Y"},
      {"elite", elite.proxy(), "", "OK", "Y"},
      {"squid transparent", squid.proxy(), "", "OK", "N"},
      {"deny", deny.proxy(), "", "403", ""},
      {"closed port", closed, "", "--", ""},
      {"black hole", black_hole.proxy(), "", "--", ""},
      {"not a judge", not_a_judge.proxy(), "", "OK", "?"},
      {"by name", "", "localhost:" + name_port, "OK", "Y"},
      {"unresolvable", "", "no..such.host:" + name_port, "--", ""},
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
    const bool ok = row.status == "OK";
    EXPECT_TRUE(ok ? IsNumeric(ping) : ping.empty()) << row.label << ": ping " << ping;
    EXPECT_EQ(got.back[kColStatus], ok ? PaletteColor(kPaletteBrightWhite) : list_.FailColor)
        << row.label;
    EXPECT_EQ(got.cells[kColServerIp], kServerIpIndent + row.server_ip) << "not rewritten";
  }
  EXPECT_FALSE(app_.Verifying);
  EXPECT_TRUE(app_.ListDirty);
}

}  // namespace
}  // namespace quillet
