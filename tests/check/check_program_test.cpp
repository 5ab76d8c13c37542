// quillet-check as a user starts it: what it prints of a hostile list, and how fast it obeys an
// interrupt.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fakes/temp_dir.h"

namespace quillet {
namespace {

// Runs quillet-check (behind `wrapper`) with its own settings folder; gives the exit code and
// what it wrote to standard error.
std::pair<int, std::string> RunCheck(const testing::TempDir& dir, const std::string& arguments,
                                     const std::string& wrapper = "") {
  std::string command = "XDG_CONFIG_HOME=" + dir / "config" + " " + wrapper + QUILLET_CHECK_PATH +
                        " " + arguments + " >/dev/null 2>" + dir / "err.txt";
  int status = std::system(command.c_str());
  std::ifstream err(dir / "err.txt");
  std::stringstream text;
  text << err.rdbuf();
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

// A bad list line is quoted with its control bytes escaped, in a KDE session whose kioslaverc
// quillet-check never touches.
TEST(CheckProgram, aBadListLineIsQuotedWithItsControlBytesEscaped) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "config");
  const std::string kde = "[Proxy Settings][$i]\nProxyType=1\nstray line\n";
  std::ofstream(dir / "config/kioslaverc") << kde;
  std::ofstream(dir / "bad.txt") << "' fine\r\n12:80\x1b]0;owned\x07\r\n";
  auto [code, err] =
      RunCheck(dir, dir / "bad.txt" + " --test-page 127.0.0.2/", "env XDG_CURRENT_DESKTOP=KDE ");
  EXPECT_EQ(code, 2);
  EXPECT_EQ(err, "quillet-check: Error in Proxy List file: 12:80\\x1b]0;owned\\x07\n");
  std::stringstream text;
  text << std::ifstream(dir / "config/kioslaverc").rdbuf();
  EXPECT_EQ(text.str(), kde);
}

TEST(CheckProgram, anInterruptEndsItWithinASecondEvenWhileLoading) {
  testing::TempDir dir;
  {
    std::ofstream big(dir / "big.txt");
    for (int i = 0; i < 1500000; ++i)
      big << "127." << (i >> 16 & 255) << '.' << (i >> 8 & 255) << '.' << (i & 255) << ":80\r\n";
  }
  auto start = std::chrono::steady_clock::now();
  auto [code, err] = RunCheck(dir, "--rows 2-2 --test-page 127.0.0.2/ " + dir / "big.txt",
                              "timeout --preserve-status -s TERM 0.3 ");
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(code, 130) << err;
  EXPECT_LT(seconds, 1.5);
}

}  // namespace
}  // namespace quillet
