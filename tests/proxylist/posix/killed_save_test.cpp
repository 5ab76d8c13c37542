// A save killed at any moment leaves the old list or the new one, never a part of either.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "proxylist/list_file.h"
#include "proxylist/list_test_support.h"

namespace quillet {
namespace {

constexpr int kRows = 100000;

// Checks the file is one whole save of the list; answers its comment line, or what is wrong
// with the file.
std::string WholeGeneration(const std::string& bytes) {
  std::vector<std::string> lines = SplitLines(bytes);
  if (lines.size() != size_t(kRows) + 2) return "lines: " + std::to_string(lines.size());
  for (size_t i = 2; i < lines.size(); ++i) {
    ParsedLine parsed = ParseProxyLine(lines[i]);
    if (!parsed.error.empty()) return "bad line " + std::to_string(i);
    if (parsed.fields[8] != ";14") return "cut line " + std::to_string(i);
  }
  return lines[0];
}

class KilledSave : public testing::ListFixture {
 protected:
  void SetUp() override {
    ListFixture::SetUp();
    for (int i = 0; i < kRows; ++i) {
      Add("10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
              std::to_string(i % 256) + ":8080",
          "", "OK", "Y", std::to_string(i % 997), ";14");
    }
  }
  // The generation of a save is told by its comment line.
  void Generation(const std::string& name) { list.ListHeader = "' " + name + "\r\n"; }
  // A child process that saves the list again and again, alternating two generations.
  pid_t StartSaving() {
    pid_t child = fork();
    if (child != 0) return child;
    for (long round = 0;; ++round) {
      Generation(round % 2 ? "gen-B" : "gen-C");
      if (!GridExport(Window())) _exit(1);
    }
  }
};

TEST_F(KilledSave, neverLeavesATruncatedOrEmptyListFile) {
  Generation("gen-A");
  ASSERT_TRUE(GridExport(Window()));
  std::mt19937 random(12345);
  int kills = 0, mid_write = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (kills < 10 || std::chrono::steady_clock::now() < deadline) {
    pid_t child = StartSaving();
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself: " << status;
    ++kills;
    // A temporary file beside the list means the kill came in the middle of writing.
    mid_write += FilesInFolder() > 1;
    std::string generation = WholeGeneration(ReadList());
    ASSERT_TRUE(generation == "' gen-A" || generation == "' gen-B" || generation == "' gen-C")
        << "after kill " << kills << ": " << generation;
  }
  // The next save clears what killed saves left behind.
  ASSERT_TRUE(GridExport(Window()));
  EXPECT_EQ(FilesInFolder(), 1u);
  EXPECT_GT(mid_write, 0) << "no kill hit a save in " << kills << " runs";
}

using SaveOwnership = testing::ListFixture;

TEST_F(SaveOwnership, aSaveKeepsTheFilesOwnerGroupAndMode) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  WriteList("' old\r\n");
  ASSERT_EQ(chown(settings.ListFile.c_str(), 1234, 5678), 0);
  ASSERT_EQ(chmod(settings.ListFile.c_str(), 0640), 0);
  ASSERT_TRUE(GridExport(Window()));
  struct stat status {};
  ASSERT_EQ(stat(settings.ListFile.c_str(), &status), 0);
  EXPECT_EQ(std::make_tuple(status.st_uid, status.st_gid, status.st_mode & 07777),
            std::make_tuple(1234u, 5678u, 0640u));
}

}  // namespace
}  // namespace quillet
