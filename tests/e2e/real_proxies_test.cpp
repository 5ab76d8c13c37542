// Verification against real proxy servers on loopback addresses: the judge on 127.0.2.1, the
// proxies on 127.0.1.x, the own address 127.0.0.1 (none of them is part of another).
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "core/text.h"
#include "e2e/real_servers.h"
#include "fakes/fake_user_interface.h"
#include "fakes/loopback_server.h"
#include "fakes/verify_fixture.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/posix_parallel_backend.h"
#include "verify/public_address.h"
#include "verify/socket_layer.h"
#include "verify/verify_command.h"

namespace quillet {
namespace {

using namespace quillet::testing;

constexpr const char* kJudgeAddress = "127.0.2.1";
constexpr const char* kOwnAddress = "127.0.0.1";

struct Expected {
  std::string label, server_ip, server_name, status, secure;
  std::string level = "";
  std::string protocol = "";  // empty: HTTP
};

class RealProxiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
      GTEST_SKIP() << "no ICMP socket is permitted here (see README, troubleshooting)";
    }
    if (FindProgram("tinyproxy").empty() || FindProgram("squid").empty() ||
        FindProgram("microsocks").empty() || FindProgram("danted").empty()) {
      GTEST_SKIP() << "tinyproxy, squid, microsocks, dante are needed (make test installs them)";
    }
    judge_ = StartJudge(kJudgeAddress);
    ASSERT_TRUE(judge_);
    UseJudge(app_, JudgeHost(), "/", "HTTP_CLIENT_IP");
  }

  RunningServer Tinyproxy(const std::string& listen, const std::string& bind,
                          const std::string& extra) {
    RunningServer server = StartTinyproxy(folder_, listen, bind, extra);
    EXPECT_TRUE(server) << "tinyproxy on " << listen << " did not start";
    return server;
  }

  // Puts the rows into a list, selects them all and runs the Verify command over them.
  void VerifyAll(const std::vector<Expected>& rows,
                 std::function<void(const std::string&)> title_changed = nullptr) {
    for (const Expected& row : rows) {
      int added = list_.AddRow({"", kServerIpIndent + row.server_ip, row.server_name, row.label, "",
                                "", "", "", "", ""});
      list_.SetProtocolAt(added, row.protocol);
    }
    SelectForVerify({list_, app_, ui_}, 1, list_.LastRow());
    VerifyServices services{backend_, [](const std::string&) {}, "Quillet",
                            [] { return std::string("now"); }, std::move(title_changed)};
    VerifyToEnd({list_, app_, ui_}, services, 1);
  }

  std::string JudgeHost() const { return kJudgeAddress + (":" + std::to_string(judge_->port())); }

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
  RunningServer by_name = Tinyproxy(kOwnAddress, "127.0.1.18", "DisableViaHeader Yes");
  RunningServer squid = StartSquid(folder_, "127.0.1.21", "forwarded_for on");
  ASSERT_TRUE(squid) << "squid on 127.0.1.21 did not start";
  LoopbackServer black_hole("127.0.1.16", CloseAtOnce(), false);
  LoopbackServer not_a_judge(
      "127.0.1.17", AnswerWith("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>Hi</p>"));
  std::string closed = "127.0.1.15:" + std::to_string(ClosedPort("127.0.1.15"));
  std::string name_port = std::to_string(by_name.port);
  RunningServer socks = StartMicrosocks("127.0.1.41", "127.0.1.41");
  ASSERT_TRUE(socks) << "microsocks on 127.0.1.41 did not start";
  RunningServer dante = StartDante(folder_, "127.0.1.45");
  ASSERT_TRUE(dante) << "dante on 127.0.1.45 did not start";
  RunningServer connect =
      Tinyproxy("127.0.1.42", "127.0.1.42", "ConnectPort " + std::to_string(judge_->port()));
  // Takes the client's greeting, accepts "no authentication", then hangs up.
  LoopbackServer greets_and_closes("127.0.1.44", [](Socket fd, const std::atomic<bool>&) {
    char greeting[3];
    if (recv(static_cast<int>(fd), greeting, sizeof greeting, 0) > 0)
      send(static_cast<int>(fd), "\x05\x00", 2, MSG_NOSIGNAL);
  });

  const std::vector<Expected> rows = {
      {"transparent", transparent.proxy(), "", "OK", "N", "transparent"},
      {"anonymous", anonymous.proxy(), "", "OK", "Y", "anonymous"},
      {"elite", elite.proxy(), "", "OK", "Y", "elite"},
      {"squid transparent", squid.proxy(), "", "OK", "N", "transparent"},
      {"deny", deny.proxy(), "", "403", ""},
      {"closed port", closed, "", "--", ""},
      {"black hole", black_hole.proxy(), "", "--", ""},
      {"not a judge", not_a_judge.proxy(), "", "OK", "?"},
      {"by name", "", "localhost:" + name_port, "OK", "Y", "elite"},
      {"unresolvable", "", "no..such.host:" + name_port, "--", ""},
      {"socks5", socks.proxy(), "", "OK", "Y", "elite", "socks5"},
      {"socks4 to a socks5-only server", socks.proxy(), "", "--", "", "", "socks4"},
      {"dante socks4", dante.proxy(), "", "OK", "Y", "elite", "socks4"},
      {"dante socks5", dante.proxy(), "", "OK", "Y", "elite", "socks5"},
      {"connect", connect.proxy(), "", "OK", "Y", "elite", "https"},
      {"socks port refusing", closed, "", "--", "", "", "socks5"},
      {"closes after greeting", greets_and_closes.proxy(), "", "--", "", "", "socks5"},
      {"http listed as socks4a", anonymous.proxy(), "", "--", "", "", "socks4a"},
      {"http listed as socks5", elite.proxy(), "", "--", "", "", "socks5"},
  };
  VerifyAll(rows);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
  for (size_t i = 0; i < rows.size(); ++i) {
    const Expected& row = rows[i];
    const ProxyRow& got = list_.Row(static_cast<int>(i) + 1);
    EXPECT_EQ(got.cells[kColStatus], row.status) << row.label;
    EXPECT_EQ(got.cells[kColSecure], row.secure) << row.label;
    EXPECT_EQ(got.anonymity(), row.level) << row.label;
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
  }
  EXPECT_FALSE(app_.Verifying);
  EXPECT_TRUE(app_.ListDirty);
}

// Without FindIP and without a known own address, the judge's REMOTE_ADDR on a direct visit is
// what tells a transparent proxy from an elite one.
TEST_F(RealProxiesTest, theJudgeNamesTheOwnAddressOnADirectVisit) {
  RunningServer transparent = Tinyproxy("127.0.1.31", "127.0.1.31", "XTinyproxy Yes");
  RunningServer elite = Tinyproxy("127.0.1.32", "127.0.1.32", "DisableViaHeader Yes");
  app_.FindIP.clear();
  app_.MyIP.clear();
  std::string title;
  VerifyAll({{"transparent", transparent.proxy(), "", "OK", "N", "transparent"},
             {"elite", elite.proxy(), "", "OK", "Y", "elite"}},
            [&title](const std::string& caption) { title = caption; });
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
  EXPECT_EQ(app_.PublicIP, kOwnAddress);
  EXPECT_TRUE(title.ends_with(std::string(": ") + kOwnAddress)) << title;
  for (int row : {1, 2}) EXPECT_EQ(list_.Text(row, kColSecure), row == 1 ? "N" : "Y");

  // The Check button's line for a page that names no REMOTE_ADDR (a judge out of reach is the
  // window's own test).
  LoopbackServer no_address("127.0.1.33", AnswerWith("HTTP/1.0 200 OK\r\n\r\nHTTP_CLIENT_IP"));
  DirectVisit bare =
      VisitTypedTestPage(backend_, ProbeSettings::From(app_), no_address.proxy() + "/x", nullptr);
  EXPECT_TRUE(bare.answered && bare.address.empty());
  std::string line = JudgeCheckLine(bare, "HTTP_CLIENT_IP");
  EXPECT_EQ(line.rfind("Answered in ", 0), 0u) << line;
  EXPECT_NE(line.find(" is there; no REMOTE_ADDR"), std::string::npos) << line;
}

// An https test page is fetched through the proxy's CONNECT tunnel, and only from a server whose
// certificate is trusted.
TEST_F(RealProxiesTest, anHttpsTestPageGoesThroughTheConnectTunnel) {
  RunningServer page = StartTlsPage(folder_, "127.0.3.1");
  ASSERT_TRUE(page) << "openssl s_server did not start";
  RunningServer tunnel =
      Tinyproxy("127.0.1.43", "127.0.1.43", "ConnectPort " + std::to_string(page.port));
  UseJudge(app_, "https://" + page.proxy(), "/", "s_server");
  VerifyAll({{"certificate not trusted", tunnel.proxy(), "", "--", ""}});
  EXPECT_EQ(list_.Text(1, kColStatus), "--");
  setenv("SSL_CERT_FILE", (folder_ / "page-cert.pem").c_str(), 1);
  VerifyAll({{"certificate trusted", tunnel.proxy(), "", "OK", "Y"}});  // verifies both rows
  unsetenv("SSL_CERT_FILE");
  EXPECT_EQ(list_.Text(2, kColStatus), "OK");
  EXPECT_EQ(list_.Text(2, kColSecure), "Y");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
}

}  // namespace
}  // namespace quillet
