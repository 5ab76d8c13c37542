// The engine over the real event loop (curl multi, multiplexed ICMP, look-up threads) against a
// farm of every kind of proxy: one row at a time and many at once both give the farm's ground
// truth, and a cancel ends rows that would wait long at once.
#include <gtest/gtest.h>

#include "core/text.h"
#include "fakes/engine_run.h"
#include "fakes/proxy_farm.h"
#include "fakes/temp_dir.h"
#include "platform/posix/event_loop_check_io.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"

namespace quillet {
namespace {

std::vector<std::vector<std::string>> FarmLines(const std::string& list_file) {
  std::ifstream in(list_file);
  std::vector<std::vector<std::string>> lines;
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(ReplaceAll(line, "\r", ""));
    if (line.empty() || line[0] == '\'') continue;
    lines.push_back(testing::ProxyCells(line));
  }
  return lines;
}

TEST(ParallelEngineOnFarm, oneAtATimeAndManyAtOnceGiveTheGroundTruth) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
    GTEST_SKIP() << "this process may open no ICMP socket (run as root or widen "
                    "net.ipv4.ping_group_range)";
  }
  testing::TempDir dir;
  testing::FarmProcess farm(dir.path(), {"127.10.210.1", 36,
                                         "elite=25,anonymous=15,transparent=15,deny=10,"
                                         "refused=10,blackhole=5,slow=10,garbage=10"});
  ASSERT_TRUE(farm.ready());
  auto lines = FarmLines(farm.list());
  ASSERT_EQ(lines.size(), 36u);
  // A row by name: "localhost" resolves to 127.0.0.1, where no proxy listens.
  std::string port = After(lines[0][1], ":");
  lines.push_back(Split("\t\tlocalhost:" + port + "\t\t\t\t\t\t\t", "\t"));

  ProbeSettings settings{"127.0.0.2", "/judge", 1000, 500, "REMOTE_ADDR", "127.0.0.1", ""};
  GetAddrInfoResolver resolver;
  auto truth = farm.Truth();
  for (int jobs : {1, 64}) {
    EventLoopCheckIo io(resolver);
    auto got = testing::RunEngine(io, settings, jobs, lines, 50).done;
    ASSERT_EQ(got.size(), lines.size()) << jobs;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
      SCOPED_TRACE("jobs " + std::to_string(jobs) + ": " + lines[i][1]);
      const auto& want = truth.at(lines[i][1]);
      EXPECT_EQ(got[i].status, want[2]);
      EXPECT_EQ(got[i].secure, want[3]);
      EXPECT_EQ(got[i].level, want[4]);
      EXPECT_EQ(got[i].ping.empty(), want[2] != "OK");
    }
    EXPECT_EQ(got[lines.size() - 1].status, "--") << "localhost, where no proxy listens";
  }
}

}  // namespace
}  // namespace quillet
