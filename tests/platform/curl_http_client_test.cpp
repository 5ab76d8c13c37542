#include "platform/posix/curl_http_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "fakes/loopback_server.h"
#include "judge/judge_server.h"
#include "platform/posix/curl_list_fetcher.h"
#include "verify/judge_reading.h"

namespace quillet {
namespace {

using namespace quillet::testing;

class CurlHttpClientTest : public ::testing::Test {
 protected:
  HttpReply Get(const std::string& proxy, const std::string& path = "/judge") {
    return client_.Get(HttpRequest{proxy, "127.0.2.1", judge_.port(), path, 1000});
  }
  judge::JudgeServer judge_{judge::ServerOptions{"127.0.2.1", 0}};
  CurlHttpClient client_;
};

// Asked directly, and through a proxy that hands every header on (the judge itself, asked as a
// proxy): the probe's headers arrive, and none that the judge takes for a proxy's mark.
TEST_F(CurlHttpClientTest, requestCarriesTheProbeHeadersAndNoneOfAProxy) {
  ASSERT_TRUE(judge_.running()) << judge_.error();
  for (std::string proxy : {std::string(), "127.0.2.1:" + std::to_string(judge_.port())}) {
    HttpReply reply = Get(proxy, "/judge?x=1");
    EXPECT_EQ(reply.status, 200);
    const std::string& page = reply.body;
    for (const char* line :
         {"/judge?x=1\n", "SERVER_PROTOCOL = HTTP/1.0\n", "HTTP_CONTENT_TYPE = text/*\n",
          "HTTP_ACCEPT_LANGUAGE = en\n", "HTTP_PRAGMA = no-cache\n"})
      EXPECT_NE(page.find(line), std::string::npos) << line << page;
    for (const char* absent : {"HTTP_USER_AGENT", "HTTP_REFERER"})
      EXPECT_EQ(page.find(absent), std::string::npos) << page;
    EXPECT_FALSE(ShowsProxyHeaders(page)) << page;
  }
}

// The fetch time runs from the request to the end of what is read: a proxy that waits before
// answering shows its wait, also when the read stops after the first block of a longer page.
TEST_F(CurlHttpClientTest, redirectsAreNotFollowedAndTheFetchTimeIsTheWaitForTheAnswer) {
  LoopbackServer moved("127.0.1.33",
                       AnswerWith("HTTP/1.0 302 Found\r\nLocation: http://127.0.2.1:1/\r\n\r\n"));
  EXPECT_EQ(Get(moved.proxy()).status, 302);
  LoopbackServer slow("127.0.1.34", [](testing::Socket fd, const std::atomic<bool>& stopping) {
    testing::Pause(300, stopping);
    testing::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n" + std::string(3 * kFirstBlockBytes, 'x'));
  });
  HttpReply reply = Get(slow.proxy());
  EXPECT_EQ(reply.body.size(), kFirstBlockBytes);
  EXPECT_GE(reply.fetch_ms, 300);
  EXPECT_LT(reply.fetch_ms, 3000);
  EXPECT_EQ(Get("127.0.1.34:" + std::to_string(testing::ClosedPort("127.0.1.34"))).fetch_ms, -1);
}

// A list is fetched directly although the environment names a proxy that is not there, after a
// redirect; an error status, a page that is not text or too large, a redirect off http and a
// port without a server are refused with their reason.
TEST(CurlListFetcher, fetchesTextDirectlyAndSaysWhyNot) {
  auto url = [](const LoopbackServer& server) { return "http://" + server.proxy() + "/a.txt"; };
  const std::string moved = "HTTP/1.0 302 Found\r\nLocation: ";
  LoopbackServer page("127.0.0.1", AnswerWith("HTTP/1.0 200 OK\r\nContent-Type: text/plain; "
                                              "charset=utf-8\r\n\r\n# list\r\n127.0.1.9:80\r\n"));
  LoopbackServer to_page("127.0.0.1", AnswerWith(moved + url(page) + "\r\n\r\n"));
  LoopbackServer to_ftp("127.0.0.1", AnswerWith(moved + "ftp://a/b\r\n\r\n"));
  LoopbackServer missing("127.0.0.1", AnswerWith("HTTP/1.0 404 Not Found\r\n\r\n"));
  LoopbackServer png("127.0.0.1", AnswerWith("HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n"));
  LoopbackServer huge("127.0.0.1", Flood(17));
  std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort("127.0.0.1")) + "/";
  setenv("http_proxy", closed.c_str(), 1);
  CurlListFetcher fetcher;
  FetchedList fetched = fetcher.Fetch(url(to_page));
  EXPECT_EQ(fetched.body + fetched.problem, "# list\r\n127.0.1.9:80\r\n");
  for (const auto& [address, problem] :
       {std::pair{url(missing), "the server answered with status 404"},
        {url(png), "the answer is image/png, not a text list"},
        {url(to_ftp), "a redirect led to an address that is not http or https"},
        {url(huge), "the list is larger than 16 MiB"},
        {closed, "no answer (Failed to connect to 127.0.0.1 port"}}) {
    fetched = fetcher.Fetch(address);
    EXPECT_TRUE(fetched.body.empty() && fetched.problem.rfind(problem, 0) == 0) << fetched.problem;
  }
  unsetenv("http_proxy");
}

}  // namespace
}  // namespace quillet
