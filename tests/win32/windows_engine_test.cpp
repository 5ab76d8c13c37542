// The engine over the Windows ports: the blocking WinINet fetch and ICMP library echo run on a
// small pool of threads, and eight rows at once give the cells of one at a time; the ICMP
// library and Winsock on their own.
#include <gtest/gtest.h>

#include <memory>

#include "fakes/engine_run.h"
#include "fakes/fake_user_interface.h"
#include "fakes/loopback_server.h"
#include "net/socket_layer.h"
#include "platform/win32/icmp_library_pinger.h"
#include "platform/win32/wininet_http_client.h"
#include "platform/win32/winsock_resolver.h"
#include "verify/blocking_check_io.h"

namespace quillet {
namespace {

TEST(WindowsEngine, eightAtOnceGiveTheCellsOfOneAtATime) {
  const std::string page = "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = 127.0.3.";
  std::vector<std::unique_ptr<testing::LoopbackServer>> proxies;
  for (int i = 1; i <= 8; ++i) {
    std::string answer = i % 4 == 0 ? "HTTP/1.0 403 Denied\r\n\r\nno" : page + std::to_string(i);
    if (i == 3) answer = "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = 127.0.0.9";  // not anonymous
    proxies.push_back(std::make_unique<testing::LoopbackServer>(
        "127.0.3." + std::to_string(30 + i),
        i == 7 ? testing::Silent() : testing::AnswerWith(answer)));  // 7 stays silent
  }
  WinInetHttpClient http;
  IcmpLibraryPinger pinger;
  WinsockResolver resolver;
  ProbeSettings settings{"127.0.3.99:8080", "/", 1000, 2500, "REMOTE_ADDR", "127.0.0.9", ""};
  std::vector<std::vector<std::string>> rows;
  for (const auto& proxy : proxies) rows.push_back(testing::ProxyCells(proxy->proxy()));
  std::vector<std::map<size_t, RowCheckOutcome>> runs;
  for (int jobs : {1, 8}) {
    BlockingCheckIo io({http, pinger, resolver}, 8);
    runs.push_back(testing::RunEngine(io, settings, jobs, rows, 50).done);
  }
  for (size_t i = 0; i < proxies.size(); ++i) {
    SCOPED_TRACE(proxies[i]->proxy());
    const char* want = i % 4 == 3 ? "403" : i == 6 ? "--" : "OK";
    EXPECT_EQ(runs[0][i].status, want);
    EXPECT_EQ(runs[1][i].status, want);
    EXPECT_EQ(runs[1][i].secure, runs[0][i].secure);
    EXPECT_EQ(runs[1][i].ping.empty(), runs[0][i].ping.empty());
  }
  EXPECT_EQ(runs[1][2].secure, "N");
  EXPECT_EQ(runs[1][0].secure, "Y");
}

TEST(IcmpLibraryPinger, textThatIsNoAddressSendsNothing) {
  IcmpLibraryPinger pinger;
  EchoReply reply;
  reply.status = 12345;
  EXPECT_EQ(PingHost(pinger, "localhost", kPingPayload, reply, 2500), kPingBadAddress);
  EXPECT_EQ(PingHost(pinger, "255.255.255.255", kPingPayload, reply, 2500), kPingBadAddress);
  EXPECT_EQ(reply.status, 12345u);  // the record is left as it was
}

// Only names the hosts file answers are looked up, and a name the resolver refuses before
// asking anyone (a label may hold at most 63 characters): no query leaves the machine.
const std::string kUnaskableName = std::string(70, 'q') + ".invalid";

TEST(WinsockResolver, namesAndAddressesOfTheLoopbackHost) {
  WinsockResolver resolver;
  testing::FakeUserInterface ui;
  // No start-up here: a look-up still works.
  EXPECT_EQ(NameToAddress(resolver, "localhost"), "127.0.0.1");
  EXPECT_EQ(NameToAddress(resolver, "127.0.3.9"), "127.0.3.9");
  EXPECT_EQ(NameToAddress(resolver, kUnaskableName), "");
  EXPECT_EQ(AddressToName(resolver, ui, "127.0.0.1"), "localhost");
  EXPECT_TRUE(ui.messages.empty()) << ui.last_message();
  EXPECT_EQ(AddressToName(resolver, ui, "255.255.255.255"), "");
  EXPECT_EQ(ui.last_message(), "String passed is an invalid IP.");
  EXPECT_EQ(resolver.HostName("127.0.0.1.5"), std::nullopt);
}

}  // namespace
}  // namespace quillet
