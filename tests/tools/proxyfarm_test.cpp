#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "fakes/temp_dir.h"
#include "farm_plan.h"
#include "farm_server.h"

namespace proxyfarm {
namespace {

TEST(ProxyFarmPlan, kindsFollowTheMixAndAddressesSkipNetworkAndBroadcastEnds) {
  std::vector<MixEntry> mix;
  std::string error;
  ASSERT_TRUE(ParseMix("deny=10,blackhole=20,transparent=30", mix, error));
  auto plan = MakePlan("127.10.0.250", 100, 8080, mix, 7);
  std::map<Kind, int> counts;
  for (const Proxy& proxy : plan) ++counts[proxy.kind];
  EXPECT_EQ(counts[Kind::Deny], 10);
  EXPECT_EQ(counts[Kind::BlackHole], 20);
  EXPECT_EQ(counts[Kind::Transparent], 30);
  EXPECT_EQ(counts[Kind::Elite], 40);  // the rest
  EXPECT_EQ(plan[4].address, "127.10.0.254");
  EXPECT_EQ(plan[5].address, "127.10.1.1");  // .255 and .0 skipped
  EXPECT_FALSE(ParseMix("elite=60,deny=50", mix, error));
  EXPECT_FALSE(ParseMix("bogus=5", mix, error));
  EXPECT_EQ(ExpectedStatus(Kind::Deny), "403");
  EXPECT_EQ(ExpectedSecure(Kind::Transparent), "N");
}

TEST(ProxyFarmAnswers, eachKindRevealsWhatSuchAProxyWould) {
  const std::string request =
      "GET http://judge.test/env?x=1 HTTP/1.0\r\nHost: judge.test\r\nAccept-Language: en\r\n"
      "Proxy-Connection: keep-alive\r\n\r\n";
  std::string elite = JudgePage(Kind::Elite, request, "127.10.0.3", "127.0.0.1");
  EXPECT_NE(elite.find("REQUEST_URI = /env?x=1\n"), std::string::npos);
  EXPECT_EQ(elite.find("PROXY_CONNECTION"), std::string::npos);
  EXPECT_EQ(elite.find("127.0.0.1"), std::string::npos);
  EXPECT_EQ(elite.find("VIA"), std::string::npos);
  std::string anonymous = JudgePage(Kind::Anonymous, request, "127.10.0.3", "127.0.0.1");
  EXPECT_NE(anonymous.find("HTTP_VIA"), std::string::npos);
  EXPECT_EQ(anonymous.find("127.0.0.1"), std::string::npos);
  std::string transparent = JudgePage(Kind::Transparent, request, "127.10.0.3", "127.0.0.1");
  EXPECT_NE(transparent.find("HTTP_X_FORWARDED_FOR = 127.0.0.1"), std::string::npos);
  EXPECT_EQ(Answer(Kind::Garbage, request, "a", "b").find("HTTP/"), std::string::npos);
}

// Sends a proxy request to address:port and returns what came back before `wait` ran out.
std::string Ask(const std::string& address, uint16_t port, std::chrono::milliseconds wait) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  timeval timeout{0, static_cast<suseconds_t>(wait.count() * 1000)};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return "refused";
  }
  std::string request = "GET http://judge.test/ HTTP/1.0\r\n\r\n";
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  close(fd);
  return answer;
}

TEST(ProxyFarmServer, servesEveryKindOnItsOwnLoopbackAddress) {
  namespace fs = std::filesystem;
  quillet::testing::TempDir temp;
  const fs::path& dir = temp.path();
  uint16_t port = static_cast<uint16_t>(20000 + getpid() % 20000);
  pid_t child = fork();
  if (child == 0) {
    execl(PROXYFARM_PATH, "proxyfarm", "--first", "127.10.200.1", "--count", "20", "--port",
          std::to_string(port).c_str(), "--mix", "deny=20,refused=20,blackhole=20,slow=20",
          "--truth", (dir / "truth.csv").c_str(), "--ready-file", (dir / "ready").c_str(),
          "--lifetime", "20", "--slow-ms", "300", nullptr);
    _exit(127);
  }
  for (int i = 0; i < 100 && !fs::exists(dir / "ready"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(fs::exists(dir / "ready"));

  std::ifstream truth(dir / "truth.csv");
  std::string line;
  std::getline(truth, line);
  int checked = 0;
  while (std::getline(truth, line)) {
    std::string proxy = line.substr(0, line.find(','));
    std::string kind =
        line.substr(proxy.size() + 1, line.find(',', proxy.size() + 1) - proxy.size() - 1);
    std::string answer =
        Ask(proxy.substr(0, proxy.find(':')), port, std::chrono::milliseconds(800));
    if (kind == "refused") {
      EXPECT_EQ(answer, "refused") << proxy;
    } else if (kind == "blackhole") {
      EXPECT_EQ(answer, "") << proxy;
    } else if (kind == "deny") {
      EXPECT_EQ(answer.rfind("HTTP/1.0 403", 0), 0u) << proxy;
    } else {
      EXPECT_EQ(answer.rfind("HTTP/1.0 200", 0), 0u) << proxy;
      EXPECT_NE(answer.find("REMOTE_ADDR = " + proxy.substr(0, proxy.find(':'))),
                std::string::npos);
    }
    ++checked;
  }
  EXPECT_EQ(checked, 20);
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace proxyfarm
