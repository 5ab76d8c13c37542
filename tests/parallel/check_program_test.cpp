// The quillet-check program as a user runs it, against a farm of stand-in proxies.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "fakes/temp_dir.h"
#include "parallel/farm_process.h"
#include "platform/posix/icmp_pinger.h"

namespace quillet {
namespace {

struct Result {
  int exit_code;
  std::string out;
};

// Runs quillet-check with its own empty settings folder; standard error goes to `err_file`.
Result RunCheck(const testing::TempDir& dir, const std::string& arguments,
                const std::string& wrapper = "") {
  std::string command = "XDG_CONFIG_HOME=" + dir / "config" + " " + wrapper + QUILLET_CHECK_PATH +
                        " " + arguments + " 2>" + dir / "err.txt";
  Result result{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.out.append(buffer.data(), got);
  int status = pclose(pipe);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CheckProgram, csvMatchesTheGroundTruthAndWriteFillsTheFile) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
    GTEST_SKIP() << "this process may open no ICMP socket (run as root or widen "
                    "net.ipv4.ping_group_range)";
  }
  testing::TempDir dir;
  testing::FarmProcess farm(dir.path(), "127.10.230.1", 30,
                            "elite=40,anonymous=15,transparent=15,deny=10,refused=10,blackhole=10");
  ASSERT_TRUE(farm.ready());
  Result run = RunCheck(dir, farm.list() +
                                 " --jobs 16 --timeout 1 --ping-timeout 500 --test-page "
                                 "127.0.0.2/judge --search-text REMOTE_ADDR --find-ip 127.0.0.1 "
                                 "--format csv --write");
  ASSERT_EQ(run.exit_code, 0) << Read(dir / "err.txt");
  auto truth = farm.Truth();
  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "row,proxy,status,secure,ping,verified");
  size_t rows = 0;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
    ASSERT_GE(fields.size(), 4u) << line;
    EXPECT_EQ(truth.at(fields[1]), std::make_pair(fields[2], fields[3])) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 30u);
  std::string written = Read(farm.list());
  EXPECT_EQ(written.rfind("' Proxy farm list", 0), 0u) << "the comment went missing";
  EXPECT_NE(written.find("\t|OK\t|Y\t|"), std::string::npos);
}

TEST(CheckProgram, aBadListFileIsOneLineAndExitCodeTwo) {
  testing::TempDir dir;
  std::ofstream(dir / "bad.txt") << "' fine\r\n12:80\x1b]0;owned\x07\r\n";
  Result run = RunCheck(dir, dir / "bad.txt" + " --test-page 127.0.0.2/");
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(Read(dir / "err.txt"),
            "quillet-check: Error in Proxy List file: 12:80\\x1b]0;owned\\x07\n");
  EXPECT_EQ(run.out, "");
}

TEST(CheckProgram, anInterruptEndsItWithinASecondEvenWhileLoading) {
  testing::TempDir dir;
  {
    std::ofstream big(dir / "big.txt");
    for (int i = 0; i < 1500000; ++i)
      big << "127." << (i >> 16 & 255) << '.' << (i >> 8 & 255) << '.' << (i & 255) << ":80\r\n";
  }
  auto start = std::chrono::steady_clock::now();
  Result run = RunCheck(dir, "--rows 2-2 --test-page 127.0.0.2/ " + dir / "big.txt",
                        "timeout --preserve-status -s TERM 0.3 ");
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(run.exit_code, 130) << Read(dir / "err.txt");
  EXPECT_LT(seconds, 1.5);
}

}  // namespace
}  // namespace quillet
