// quillet-check and quillet-judge as a user or a script starts them: usage, exit codes, what
// they print of a hostile list, the formats a script reads, colour, and how fast an interrupt
// is obeyed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

#include "cli/command_line.h"
#include "fakes/loopback_server.h"
#include "fakes/temp_dir.h"
#include "platform/posix/icmp_pinger.h"

namespace quillet {
namespace {

struct Ran {
  int code;
  std::string out, err;
};

std::string Read(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// Runs a shell command line in which "check" and "judge" stand for the two programs, with a
// settings folder of its own.
Ran Shell(const testing::TempDir& dir, std::string command) {
  command = std::regex_replace(command, std::regex("\\bcheck\\b"), QUILLET_CHECK_PATH);
  command = std::regex_replace(command, std::regex("\\bjudge\\b"), QUILLET_JUDGE_PATH);
  command = "cd " + dir.path().string() + " && XDG_CONFIG_HOME=" + dir / "config" + " " + command +
            " >" + dir / "out.txt" + " 2>" + dir / "err.txt";
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(dir / "out.txt"),
          Read(dir / "err.txt")};
}

// Version, usage errors, and lists that cannot be used: a bad line quoted with its control bytes
// escaped (in a KDE session, whose kioslaverc quillet-check never touches), and --write on a list
// that cannot be saved refused before the list is even read.
TEST(CheckProgram, versionUsageErrorsAndUnusableLists) {
  testing::TempDir dir;
  std::ofstream(dir / "one.txt") << "127.0.1.1:80\r\n";
  std::ofstream(dir / "bad.txt") << "' fine\r\n12:80\x1b]0;owned\x07\r\n";
  std::filesystem::create_directory(dir / "locked");
  const std::string kde = "[Proxy Settings][$i]\nProxyType=1\nstray line\n";
  std::filesystem::create_directory(dir / "config");
  std::ofstream(dir / "config/kioslaverc") << kde;
  std::filesystem::copy_file(dir / "bad.txt", dir / "locked/bad.txt");
  std::filesystem::permissions(dir / "locked/bad.txt", std::filesystem::perms(0666));
  std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
  std::filesystem::permissions(dir / "locked", std::filesystem::perms(0555));
  // root writes anywhere: that check runs as nobody.
  std::string as = geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
  EXPECT_EQ(Shell(dir, "check --version").out, cli::VersionLine("quillet-check") + "\n");
  EXPECT_EQ(Shell(dir, "judge --version").out, cli::VersionLine("quillet-judge") + "\n");
  EXPECT_NE(Shell(dir, "check --help").out.find("Exit status: 0 at least one proxy works"),
            std::string::npos);
  // The usage errors point to --help; a list that cannot be used does not.
  const struct {
    std::string command, says;
    bool usage = true;
  } cases[] = {
      {"check --jobs 0 one.txt", "quillet-check: --jobs: Value 0 not in range"},
      {"check", "quillet-check: list is required"},
      {"check --min-level best one.txt", "quillet-check: --min-level: best not in"},
      {"check --protocol socks9 one.txt", "quillet-check: --protocol: 'socks9' is none of"},
      {"check --write - <one.txt", "quillet-check: --write needs list files; standard input"},
      {"judge --port 70000", "quillet-judge: Could not convert: --port = 70000"},
      // A repeated option takes the last value.
      {"check --rows 1 --rows 2 --test-page 127.0.0.2/ one.txt",
       "quillet-check: --rows: the list has only 1 rows\n", false},
      {"check --test-page 127.0.0.2/ missing.txt", "quillet-check: cannot read the list", false},
      {"XDG_CURRENT_DESKTOP=KDE check bad.txt --test-page 127.0.0.2/",
       "quillet-check: Error in Proxy List file: 12:80\\x1b]0;owned\\x07\n", false},
      {as + "check --write --test-page 127.0.0.2/ locked/bad.txt",
       "quillet-check: cannot write locked/bad.txt: Permission denied (a save writes a new file "
       "in " +
           dir / "locked" + ")\n",
       false},
  };
  for (const auto& c : cases) {
    Ran ran = Shell(dir, c.command);
    EXPECT_EQ(ran.code, 2) << c.command << ": " << ran.err;
    EXPECT_EQ(ran.err.rfind(c.says, 0), 0u) << ran.err;
    std::string program = c.command.substr(0, 5) == "judge" ? "quillet-judge" : "quillet-check";
    EXPECT_EQ(ran.err.find("\nTry '" + program + " --help'") != std::string::npos, c.usage);
  }
  EXPECT_EQ(Read(dir / "config/kioslaverc"), kde);
}

// A judge page server that plays a working HTTP proxy, one that never answers, and one that
// refuses: the exit code, the JSON that a script reads, rows streamed as they finish, lists from
// standard input and files in one run, and colour only for a terminal.
TEST(CheckProgram, checksListsFromFilesAndStandardInputAndPrintsForScriptsAndPeople) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) GTEST_SKIP() << "no ICMP socket";
  testing::TempDir dir;
  testing::LoopbackServer judge("127.0.0.1", [](testing::Socket fd, const auto&) {
    testing::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR=127.0.0.1\nHTTP_VIA=\n");
  });
  testing::LoopbackServer silent("127.0.0.1", nullptr, false);
  std::ofstream(dir / "works.txt") << judge.proxy() << "\r\n";
  std::ofstream(dir / "mixed.txt") << judge.proxy() << "\r\n" << silent.proxy() << "\r\n";
  std::ofstream(dir / "refused.txt") << "127.0.0.1:" << testing::ClosedPort("127.0.0.1") << "\r\n";
  // The proxy answers with the judge page itself: the test page is never fetched directly.
  std::string check = "check --find-ip 127.0.0.9 --timeout 2 --test-page 127.0.0.2/ ";

  EXPECT_EQ(Shell(dir, check + "refused.txt").code, 1);  // no proxy works
  // The working row is printed while the silent one is still out.
  std::filesystem::remove(dir / "out.txt");
  auto started = std::chrono::steady_clock::now();
  std::thread run([&] {
    EXPECT_EQ(Shell(dir, "cat mixed.txt | " + check + "-f jsonl - refused.txt").code, 0);
  });
  while (Read(dir / "out.txt").find('\n') == std::string::npos &&
         std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
  run.join();
  std::vector<nlohmann::json> rows;
  std::istringstream lines(Read(dir / "out.txt"));
  for (std::string line; std::getline(lines, line);) rows.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["list"], "-");
  EXPECT_EQ(rows[0]["status"], "OK");
  EXPECT_EQ(rows[0]["port"], judge.port());
  EXPECT_TRUE(rows[0]["ping"].is_number()) << rows[0];
  EXPECT_TRUE(std::regex_match(rows[0]["verified"].get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
  EXPECT_EQ(rows[2]["list"], "refused.txt");

  // On a terminal the table is coloured, unless NO_COLOR says otherwise; never into a pipe.
  std::string table = check + "works.txt refused.txt";
  std::string in_terminal = "script -qec '" + table + "' /dev/null";
  std::string coloured = Shell(dir, in_terminal).out;
  EXPECT_NE(coloured.find("\x1b[32mworks.txt"), std::string::npos) << coloured;
  EXPECT_NE(coloured.find("\x1b[31mrefused.txt"), std::string::npos) << coloured;
  EXPECT_EQ(Shell(dir, "NO_COLOR=1 " + in_terminal).out.find('\x1b'), std::string::npos);
  EXPECT_EQ(Shell(dir, table).out.find('\x1b'), std::string::npos);
}

// Damaged settings are moved aside and said, never waited on: a FIFO would block open() for good,
// and a long bad line is quoted short.
TEST(CheckProgram, damagedSettingsFilesAreKeptAsideAndSaid) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "config/Brasklet");
  std::ofstream(dir / "config/Brasklet/Quillet.conf") << "[Quillet]\n" << std::string(5000, 'x');
  ASSERT_EQ(mkfifo((dir / "config/Brasklet/Registry.conf").c_str(), 0600), 0);
  auto [code, out, err] = Shell(dir, "timeout 10 check none.txt");
  EXPECT_EQ(code, 2) << err;
  EXPECT_NE(err.find("quillet-check: The settings file '"), std::string::npos) << err;
  EXPECT_NE(err.find("Registry.conf' could not be read (is not a plain file)"), std::string::npos);
  EXPECT_NE(err.find("xxx..."), std::string::npos);
  EXPECT_EQ(err.find(std::string(201, 'x')), std::string::npos) << err;
  size_t kept = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir / "config/Brasklet"))
    kept += entry.path().string().find(".unreadable-") != std::string::npos;
  EXPECT_EQ(kept, 2u);
}

TEST(CheckProgram, anInterruptEndsItWithinASecondEvenWhileLoading) {
  testing::TempDir dir;
  {
    std::ofstream big(dir / "big.txt");
    for (int i = 0; i < 1500000; ++i)
      big << "127." << (i >> 16 & 255) << '.' << (i >> 8 & 255) << '.' << (i & 255) << ":80\r\n";
  }
  // TERM as soon as the program holds it back for its own handling (SigBlk has bit 15), which
  // is while the list is still being read; stderr's last line is the ms from TERM to the end.
  Ran ran = Shell(dir,
                  "sh -c 'check --rows 2-2 --test-page 127.0.0.2/ big.txt & p=$!; m=0; "
                  "while kill -0 $p 2>/dev/null && [ $((0x$m & 0x4000)) -eq 0 ]; do sleep 0.01; "
                  "m=$(sed -n \"s/^SigBlk:\\t//p\" /proc/$p/status 2>/dev/null); m=${m:-0}; done; "
                  "t=$(date +%s%N); kill -TERM $p; wait $p; c=$?; "
                  "echo $(( ($(date +%s%N) - t) / 1000000 )) >&2; exit $c'");
  EXPECT_EQ(ran.code, 130) << ran.err;
  std::string last = ran.err.substr(ran.err.find_last_of('\n', ran.err.size() - 2) + 1);
  EXPECT_LT(std::stoi(last), 1000) << ran.err;
}

}  // namespace
}  // namespace quillet
