#include "platform/win32/wininet_http_client.h"

#include <gtest/gtest.h>
#include <winsock2.h>

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

// A tunnelling proxy: answers each message of the client with the next reply (the last one is
// the page's answer) and keeps all it was sent.
LoopbackServer::Behaviour Tunnel(std::vector<std::string> replies, std::string& seen) {
  return [replies, &seen](testing::Socket fd, const std::atomic<bool>&) {
    char buffer[4096];
    for (const std::string& reply : replies) {
      int got = recv(static_cast<SOCKET>(fd), buffer, sizeof buffer, 0);
      if (got <= 0) return;
      seen.append(buffer, static_cast<size_t>(got));
      testing::SendAll(fd, reply);
    }
  };
}

// SOCKS and CONNECT proxies get each protocol's handshake for 127.0.3.99:8080, then the GET; a
// proxy that refuses the handshake gives no status and is sent no GET.
TEST(WinInetHttpClient, socksAndConnectProxiesAreSpokenToThroughATunnel) {
  const std::string page = "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = 127.0.0.1\n";
  const std::string socks4("\x04\x01\x1f\x90\x7f\x00\x03\x63\x00", 9);
  const std::string socks4a = std::string("\x04\x01\x1f\x90\0\0\0\x01\0", 9) + "127.0.3.99";
  const std::string socks5 = std::string("\x05\x01\x00\x05\x01\x00\x03\x0a", 8) + "127.0.3.99";
  const std::string connect = "CONNECT 127.0.3.99:8080 HTTP/1.0\r\nHost: 127.0.3.99:8080\r\n\r\n";
  const std::string granted4("\x00\x5a\0\0\0\0\0\0", 8), refused4("\x00\x5b\0\0\0\0\0\0", 8);
  const std::string bound5("\x05\x00\x00\x01\x7f\0\0\x01\x1f\x90", 10);
  struct Case {
    const char* protocol;
    std::vector<std::string> replies;
    std::string handshake;
    int status;
  } cases[] = {
      {"socks4", {granted4, page}, socks4, 200},
      {"socks4a", {granted4, page}, socks4a, 200},
      {"socks5", {std::string("\x05\x00", 2), bound5, page}, socks5, 200},
      {"https", {"HTTP/1.0 200 Connection established\r\n\r\n", page}, connect, 200},
      {"https",
       {"HTTP/1.0 200 Connection established\r\n\r\n", "HTTP/1.1 100 Continue\r\n\r\n" + page},
       connect,
       200},
      {"socks4", {refused4, page}, socks4, 0},
      {"socks5", {"\x05\xff", page}, socks5.substr(0, 3), 0},
      {"https", {"HTTP/1.0 403 Forbidden\r\n\r\n", page}, connect, 0},
  };
  for (const Case& c : cases) {
    std::string seen;
    LoopbackServer proxy("127.0.3.23", Tunnel(c.replies, seen), true, 0, false);
    HttpRequest request = Through(proxy);
    request.protocol = c.protocol;
    HttpReply reply = WinInetHttpClient().Get(request);
    EXPECT_EQ(reply.status, c.status) << c.protocol;
    EXPECT_EQ(reply.body, c.status ? "REMOTE_ADDR = 127.0.0.1\n" : "") << c.protocol;
    EXPECT_EQ(seen.substr(0, c.handshake.size()), c.handshake) << c.protocol;
    EXPECT_EQ(seen.find("GET /env/?x=1 HTTP/1.0\r\nHost: 127.0.3.99:8080\r\n") != std::string::npos,
              c.status == 200)
        << c.protocol << ": " << seen;
  }
}

// A proxy that trickles its answer byte by byte is bounded per phase, not per byte.
TEST(WinInetHttpClient, aTricklingTunnelEndsWithinItsPhases) {
  LoopbackServer proxy("127.0.3.24", testing::Trickle(100));
  HttpRequest request = Through(proxy, 300);
  request.protocol = "https";
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(WinInetHttpClient().Get(request).status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

}  // namespace
}  // namespace quillet
