#include "platform/win32/wininet_http_client.h"

#include <gtest/gtest.h>

#include <chrono>

#include "fakes/loopback_server.h"
#include "win32/wine.h"

namespace quillet {
namespace {

using testing::AnswerWith;
using testing::LoopbackServer;
using testing::WineDiffers;
using testing::WineGap;

// The page's host is a loopback address too; through a proxy it is only named, never reached.
HttpRequest Through(const LoopbackServer& proxy, int32_t timeout_ms = 5000) {
  return HttpRequest{proxy.proxy(), "127.0.3.99", 8080, "/env/?x=1", timeout_ms};
}

LoopbackServer::Behaviour Answer(const std::string& status_line, const std::string& body) {
  return AnswerWith(status_line + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\n\r\n" + body);
}

TEST(WinInetHttpClient, asksTheProxyForAFreshHttp10PageWithTheProbesHeaders) {
  LoopbackServer proxy("127.0.3.11", Answer("HTTP/1.0 200 OK", "REMOTE_ADDR = 127.0.0.1\n"));
  HttpReply reply = WinInetHttpClient().Get(Through(proxy));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "REMOTE_ADDR = 127.0.0.1\n");

  ASSERT_EQ(proxy.requests().size(), 1u);
  const std::string head = proxy.requests()[0];
  EXPECT_EQ(head.rfind("GET http://127.0.3.99:8080/env/?x=1 HTTP/1.0\r\n", 0), 0u) << head;
  for (const char* present : {"\r\nContent-Type: text/*\r\n", "\r\nAccept-Language: en\r\n"}) {
    EXPECT_NE(head.find(present), std::string::npos) << present << " missing in\n" << head;
  }
  EXPECT_EQ(head.find("Cookie"), std::string::npos) << head;
  // Removed headers never carry a value (Wine sends them empty, Windows not at all).
  const bool sent_empty = WineDiffers(WineGap::kEmptyReplacingHeaderSentEmpty);
  for (const std::string removed : {"User-Agent", "Referer"}) {
    size_t at = head.find("\r\n" + removed + ":");
    if (sent_empty) {
      EXPECT_EQ(head.find("\r\n" + removed + ": \r\n"), at) << head;
    } else {
      EXPECT_EQ(at, std::string::npos) << removed << " sent in\n" << head;
    }
  }
}

TEST(WinInetHttpClient, aRedirectionIsNotFollowedAndALongPageGivesItsFirstBlock) {
  LoopbackServer moved(
      "127.0.3.13",
      AnswerWith("HTTP/1.0 302 Found\r\nLocation: http://127.0.3.99:8080/else\r\n\r\n"));
  EXPECT_EQ(WinInetHttpClient().Get(Through(moved)).status, 302);
  EXPECT_EQ(moved.requests().size(), 1u);
  // A long page: only its first block is kept.
  std::string page;
  for (int line = 0; page.size() < 10000; ++line) page += "line " + std::to_string(line) + "\n";
  LoopbackServer long_page("127.0.3.14", Answer("HTTP/1.0 200 OK", page));
  HttpReply reply = WinInetHttpClient().Get(Through(long_page));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, page.substr(0, kFirstBlockBytes));
}

// Only HTTP proxies go to WinINet (see wine.h): others are refused, and never fetched directly.
TEST(WinInetHttpClient, otherProtocolsAreRefusedAndNeverFetchedDirectly) {
  LoopbackServer page("127.0.3.21", Answer("HTTP/1.0 200 OK", "direct"), true, 8080);
  for (const char* protocol : {"socks4", "socks4a", "socks5", "https"}) {
    auto got = WinInetHttpClient().Get({page.proxy(), "127.0.3.21", 8080, "/", 5000, protocol});
    EXPECT_TRUE(got.unsupported && got.status == 0) << protocol;
  }
  EXPECT_TRUE(page.requests().empty());
}

}  // namespace
}  // namespace quillet
