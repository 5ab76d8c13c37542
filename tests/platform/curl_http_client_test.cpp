#include "platform/posix/curl_http_client.h"

#include <gtest/gtest.h>

#include <chrono>

#include "fakes/loopback_server.h"
#include "judge/judge_server.h"

namespace quillet {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using testing::AnswerWith;
using testing::LoopbackServer;

constexpr int32_t kTimeoutMs = 1000;
// Connect, send and receive each get the time-out; the rest is slack for a loaded machine.
constexpr milliseconds kWorstCase{3 * kTimeoutMs + 2000};

class CurlHttpClientTest : public ::testing::Test {
 protected:
  HttpReply Get(const std::string& proxy, const std::string& path = "/judge") {
    HttpRequest request{proxy, "127.0.2.1", judge_.port(), path, kTimeoutMs};
    auto start = steady_clock::now();
    HttpReply reply = client_.Get(request);
    elapsed_ = std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
    return reply;
  }
  judge::JudgeServer judge_{judge::ServerOptions{"127.0.2.1", 0}};
  CurlHttpClient client_;
  milliseconds elapsed_{0};
};

TEST_F(CurlHttpClientTest, requestCarriesTheProbeHeaders) {
  ASSERT_TRUE(judge_.running()) << judge_.error();
  HttpReply reply = Get("", "/judge?x=1");
  EXPECT_EQ(reply.status, 200);
  const std::string& page = reply.body;
  EXPECT_NE(page.find("REQUEST_URI = /judge?x=1\n"), std::string::npos) << page;
  EXPECT_NE(page.find("SERVER_PROTOCOL = HTTP/1.0\n"), std::string::npos) << page;
  EXPECT_NE(page.find("HTTP_CONTENT_TYPE = text/*\n"), std::string::npos) << page;
  EXPECT_NE(page.find("HTTP_ACCEPT_LANGUAGE = en\n"), std::string::npos) << page;
  EXPECT_NE(page.find("HTTP_PRAGMA = no-cache\n"), std::string::npos) << page;
  EXPECT_EQ(page.find("HTTP_USER_AGENT"), std::string::npos) << page;
  EXPECT_EQ(page.find("HTTP_REFERER"), std::string::npos) << page;
}

TEST_F(CurlHttpClientTest, redirectsAreNotFollowed) {
  LoopbackServer moved("127.0.1.33",
                       AnswerWith("HTTP/1.0 302 Found\r\nLocation: http://127.0.2.1:1/\r\n\r\n"));
  EXPECT_EQ(Get(moved.proxy()).status, 302);
}

TEST_F(CurlHttpClientTest, hugeOrSlowBodies_keepOnlyTheFirstBlockWithinTheBounds) {
  LoopbackServer big("127.0.1.34",
                     AnswerWith("HTTP/1.0 200 OK\r\n\r\n" + std::string(5000, 'b') + "END"));
  HttpReply reply = Get(big.proxy());
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, std::string(kFirstBlockBytes, 'b'));

  LoopbackServer endless("127.0.1.35", testing::EndlessBody());
  reply = Get(endless.proxy());
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body.size(), kFirstBlockBytes);
  EXPECT_LT(elapsed_, kWorstCase);
  LoopbackServer trickle("127.0.1.36", testing::Trickle(200));
  reply = Get(trickle.proxy());
  EXPECT_EQ(reply.status, 200);
  EXPECT_LE(reply.body.size(), kFirstBlockBytes);
  EXPECT_LT(elapsed_, kWorstCase);
}

TEST_F(CurlHttpClientTest, brokenProxiesOrUnusableProxyText_giveNoStatus) {
  LoopbackServer garbage("127.0.1.37", AnswerWith("SSH-2.0-OpenSSH\r\n\xff\xfe garbage\r\n\r\n"));
  LoopbackServer closing("127.0.1.38", testing::CloseAtOnce());
  for (const std::string& proxy : {garbage.proxy(), closing.proxy()}) {
    HttpReply reply = Get(proxy);
    EXPECT_EQ(reply.status, 0) << proxy;
    EXPECT_LT(elapsed_, kWorstCase) << proxy;
  }
  EXPECT_EQ(Get(":").status, 0);
  EXPECT_EQ(Get("127.0.1.41:notaport").status, 0);
}

}  // namespace
}  // namespace quillet
