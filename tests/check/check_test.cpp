// quillet-check: its errors, --write and the three output formats, and both programs as a user
// or a script starts them: usage, exit codes, what they print of a hostile list, colour, and how
// fast an interrupt is obeyed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "check/check_options.h"
#include "check/check_output.h"
#include "check/check_run.h"
#include "cli/command_line.h"
#include "fakes/country_db.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_resolver.h"
#include "fakes/loopback_server.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"
#include "platform/posix/icmp_pinger.h"
#include "proxylist/atomic_file.h"
#include "verify/row_check.h"

namespace quillet::check {
namespace {

class CheckRunTest : public ::testing::Test {
 protected:
  CheckRunTest() {
    store_.values = {{"TestURL", "http://127.0.0.2/judge"},
                     {"ping", "500"},
                     {"TestTimeout", "2"},
                     {"SearchText", "REMOTE_ADDR"},
                     {"FindIP", "127.0.0.1"}};
    for (std::string address : {"127.0.1.1", "127.0.1.2", "127.0.1.3", "127.0.1.4"})
      pinger_.statuses[address] = ip_status::kSuccess;
    http_.replies["127.0.1.1:80"] = {200, "REMOTE_ADDR = 127.0.1.1"};
    http_.replies["127.0.1.2:80"] = {200, "REMOTE_ADDR = 127.0.1.2, FOR 127.0.0.1"};
    http_.replies["127.0.1.3:80"] = {403, ""};
    list_ = dir_ / "list.txt";
    std::ofstream(list_) << "' my proxies\r\n127.0.1.1:80\r\n' second comment\r\n"
                            "127.0.1.2:80|||||||| 12\r\n127.0.1.3:80\r\n127.0.1.4:80\r\n";
    options_.list_file = list_;
    options_.progress = false;
  }

  CheckReport Run() {
    CheckEnvironment env{store_,  resolver_, backend_, [] { return std::string("NOW"); },
                         nullptr, nullptr,   nullptr};
    return RunCheck(options_, env, err_);
  }

  testing::TempDir dir_;
  std::string list_;
  testing::MemorySettingsStore store_;
  testing::FakeResolver resolver_;
  testing::FakeHttpClient http_;
  testing::FakePinger pinger_;
  testing::ScriptedCheckIo io_{http_, pinger_};
  testing::ScriptedParallelBackend backend_{io_};
  CheckOptions options_;
  std::ostringstream err_;
};

TEST_F(CheckRunTest, writeKeepsCommentsAndOrderAndFillsTheResultCells) {
  options_.write = true;
  options_.jobs = 1;  // rows are handed to the engine a few at a time
  CheckReport report = Run();
  EXPECT_EQ(report.exit_code, kExitOk) << err_.str();
  EXPECT_EQ(ReadFileBytes(list_),
            "' my proxies\r\n' second comment\r\n\r\n"
            "127.0.1.1:80\t|\t|\t|NOW\t|\t|OK\t|Y\t|7\t|\t\r\n"
            "127.0.1.2:80\t|\t|\t|NOW\t|\t|OK\t|N\t|7\t|12\t\r\n"
            "127.0.1.3:80\t|\t|\t|NOW\t|\t|403\t|\t|\t|\t\r\n"
            "127.0.1.4:80\t|\t|\t|NOW\t|\t|--\t|\t|\t|\t\r\n");
}

TEST_F(CheckRunTest, aRowThatCannotBeCheckedLeavesTheOthersAndProtocolsChooseRows) {
  std::ofstream(list_) << "nocolon|x:1|||||||\r\nal:pw@127.0.1.1:80\r\n";
  CheckReport report = Run();
  EXPECT_EQ(report.exit_code, kExitOk);
  EXPECT_NE(err_.str().find("row 1 (nocolon)"), std::string::npos) << err_.str();
  ASSERT_EQ(report.rows.size(), 1u);
  EXPECT_EQ(report.rows[0].proxy + " " + report.rows[0].status, "al@127.0.1.1:80 OK");
  EXPECT_EQ(http_.requests.at(0).proxy_user, "al");
  options_.protocols = {"socks5"};
  EXPECT_EQ(Run().rows.size(), 0u);
}

// A system without ICMP is named once, with the command that allows it; --ping tcp times the
// connection to each proxy's port instead.
TEST_F(CheckRunTest, withoutIcmpItSaysSoOnceAndTcpPingsThePort) {
  pinger_.no_icmp = true;
  Run();
  EXPECT_EQ(err_.str(), std::string("quillet-check: ") + kNoIcmpMessage + "\n");
  options_.ping_method = ParseCommandLine({"--ping", "tcp", list_}).options.ping_method;
  CheckReport report = Run();
  ASSERT_EQ(report.rows.size(), 4u);
  EXPECT_EQ(report.rows[0].status + report.rows[3].status, "OK--");
  EXPECT_EQ(std::count(pinger_.pinged.begin(), pinger_.pinged.end(), "127.0.1.4:80"), 1);
}

// Without FindIP the own address is the one the judge names on a direct visit; when it names
// none, the run says so once and judges by the machine's own address.
TEST_F(CheckRunTest, withoutFindIpTheJudgeNamesTheOwnAddress) {
  store_.values["FindIP"] = "";
  resolver_.addresses["quillet-test"] = {"127.0.1.1"};
  const struct {
    HttpReply direct;
    std::string secure, says;  // the first two rows' "secure" cells
  } cases[] = {
      {{200, "REMOTE_ADDR = 127.0.1.2\n"}, "YN", ""},
      {{}, "NY", "could not be reached without a proxy"},
      {{200, "<p>hello</p>"}, "NY", "shows no REMOTE_ADDR"},
  };
  for (const auto& c : cases) {
    http_.replies[""] = c.direct;
    err_.str("");
    CheckReport report = Run();
    ASSERT_EQ(report.rows.size(), 4u) << err_.str();
    EXPECT_EQ(report.rows[0].secure + report.rows[1].secure, c.secure) << c.says;
    EXPECT_TRUE(err_.str().find(c.says) != std::string::npos &&
                err_.str().empty() == c.says.empty())
        << err_.str();
  }
}

TEST(CheckOutput, tableCsvAndJsonCarryTheSameRows) {
  std::vector<CheckedRow> rows = {
      {"a.txt", 1, "127.0.1.1:80", "http", "127.0.1.1", 80, "OK", "Y", "elite", "3",
       "5/12/2026 10:00", "2026-12-05T10:00:00Z", false, "DE"},
      {"a.txt", 2, "name,with \"comma\"", "socks5", "name,with \"comma\"", 0, "--", "", "", "", "x",
       "2026-12-05T10:00:01Z"}};
  rows[0].fetch_ms = 41;
  std::ostringstream table, csv, json;
  PrintRows(rows, OutputFormat::Table, table);
  PrintRows(rows, OutputFormat::Csv, csv, {true, false});
  PrintRows(rows, OutputFormat::Json, json);
  EXPECT_EQ(table.str(),
            "row  proxy              status  secure  level  ping  fetch  country  verified\n"
            "1    127.0.1.1:80       OK      Y       elite  3     41     DE       5/12/2026 10:00\n"
            "2    name,with \"comma\"  --                                           x\n");
  EXPECT_EQ(csv.str(),
            "list,row,proxy,status,secure,level,ping,fetch,country,verified\n"
            "a.txt,1,127.0.1.1:80,OK,Y,elite,3,41,DE,5/12/2026 10:00\n"
            "a.txt,2,\"name,with \"\"comma\"\"\",--,,,,,,x\n");
  auto parsed = nlohmann::json::parse(json.str());
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].dump(),
            R"({"country":"DE","fetch_ms":41,"host":"127.0.1.1","level":"elite","list":"a.txt",)"
            R"("ping":3,"port":80,"protocol":"http","proxy":"127.0.1.1:80","row":1,"secure":"Y",)"
            R"("status":"OK","tampered":false,"verified":"2026-12-05T10:00:00Z"})");
  EXPECT_TRUE(parsed[1]["ping"].is_null() && parsed[1]["fetch_ms"].is_null() &&
              parsed[1]["country"].is_null());
}

TEST(CheckOutput, filtersAndSortChooseTheRowsToPrint) {
  std::vector<CheckedRow> rows;
  for (auto [status, level, ping, fetch] : {std::array<const char*, 4>{"--", "", "", ""},
                                            {"OK", "transparent", "30", "700"},
                                            {"OK", "elite", "9", ""},
                                            {"OK", "anonymous", "120", "45"},
                                            {"403", "", "", ""}}) {
    rows.push_back({"", int(rows.size()) + 1, "", "", "", 0, status, "", level, ping, "", ""});
    if (*fetch) rows.back().fetch_ms = std::stoi(fetch);
  }
  auto printed = [&rows](const std::function<void(CheckOptions&)>& choose) {
    CheckOptions options;
    choose(options);
    std::string numbers;
    for (const CheckedRow& chosen : RowsToPrint(rows, options)) numbers += char('0' + chosen.row);
    return numbers;
  };
  EXPECT_EQ(printed([](auto&) {}), "12345");
  EXPECT_EQ(printed([](auto& o) { o.only_working = true; }), "234");
  EXPECT_EQ(printed([](auto& o) { o.min_level = "anonymous"; }), "34");
  EXPECT_EQ(printed([](auto& o) { o.sort_by = "ping"; }), "32415");   // failed last
  EXPECT_EQ(printed([](auto& o) { o.sort_by = "fetch"; }), "42135");  // no fetch time: last
}

struct Ran {
  int code;
  std::string out, err;
};

std::string Read(const std::string& path) {
  return std::filesystem::exists(path) ? ReadFileBytes(path) : "";
}

// `command` with each whole word `word` in it replaced by `path` (no std::regex: GCC's
// sanitizer builds warn inside it).
std::string WithProgram(std::string command, const std::string& word, const std::string& path) {
  auto part = [&](size_t i) { return i < command.size() && std::isalnum(uint8_t(command[i])); };
  for (size_t at = 0; (at = command.find(word, at)) != std::string::npos; at += word.size())
    if (!(at > 0 && part(at - 1)) && !part(at + word.size()))
      command.replace(at, word.size(), path), at += path.size() - word.size();
  return command;
}

// Runs a shell command line in which the words "check" and "judge" stand for the two programs,
// with a settings folder of its own.
Ran Shell(const testing::TempDir& dir, std::string command) {
  command =
      WithProgram(WithProgram(command, "check", QUILLET_CHECK_PATH), "judge", QUILLET_JUDGE_PATH);
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
  std::ofstream(dir / "damaged.mmdb") << "x";
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
  std::string closed = "http://127.0.0.1:" + std::to_string(testing::ClosedPort("127.0.0.1")) + "/";
  EXPECT_EQ(Shell(dir, "check --version").out, cli::VersionLine("quillet-check") + "\n");
  EXPECT_EQ(Shell(dir, "judge --version").out, cli::VersionLine("quillet-judge") + "\n");
  EXPECT_NE(Shell(dir, "check --help").out.find("Exit status: 0 at least one proxy works"),
            std::string::npos);
  // The usage errors point to --help; a list that cannot be used does not.
  const struct {
    std::string command, says;
    bool usage = true;
  } cases[] = {
      {"check --jobs 0 one.txt", "--jobs: Value 0 not in range"},
      {"check", "list is required"},
      {"check --min-level best one.txt", "--min-level: best not in"},
      {"check --protocol socks9 one.txt", "--protocol: 'socks9' is none of"},
      {"check --write - <one.txt", "--write needs list files; standard input"},
      {"check --write one.txt http://127.0.0.1/a.txt", "--write needs list files; a list from"},
      {"judge --port 70000", "Could not convert: --port = 70000"},
      {"check --country DEU one.txt", "--country: 'DEU' is not a country code"},
      // A repeated option takes the last value.
      {"check --rows 1 --rows 2 --test-page 127.0.0.2/ one.txt",
       "--rows: the list has only 1 rows\n", false},
      {"check --test-page 127.0.0.2/ missing.txt", "cannot read the list", false},
      {"check --test-page nodots one.txt", "the test page 'nodots' cannot be used: a host", false},
      {"check --test-page ftp://a.b/ one.txt", "the test page 'ftp://a.b/' cannot be used: only",
       false},
      {"check --test-page a.b:65536/ one.txt",
       "the test page 'a.b:65536/' cannot be used: the port", false},
      {"check one.txt", "no test page is set: give --test-page", false},
      {"check --country-db damaged.mmdb --test-page 127.0.0.2/ one.txt",
       "The country database 'damaged.mmdb' cannot be used: it is not", false},
      {"check --test-page 127.0.0.2/ " + closed,
       "Could not fetch the proxy list at '" + closed + "': no answer (", false},
      {"XDG_CURRENT_DESKTOP=KDE check bad.txt --test-page 127.0.0.2/",
       "Error in Proxy List file: 12:80\\x1b]0;owned\\x07\n", false},
      {as + "check --write --test-page 127.0.0.2/ locked/bad.txt",
       "cannot write locked/bad.txt: Permission denied (a save writes a new file in " +
           dir / "locked" + ")\n",
       false},
  };
  for (const auto& c : cases) {
    Ran ran = Shell(dir, c.command);
    EXPECT_EQ(ran.code, 2) << c.command << ": " << ran.err;
    std::string program = c.command.substr(0, 5) == "judge" ? "quillet-judge" : "quillet-check";
    EXPECT_EQ(ran.err.rfind(program + ": " + c.says, 0), 0u) << ran.err;
    EXPECT_EQ(ran.err.find("\nTry '" + program + " --help'") != std::string::npos, c.usage);
    // An error that is not about usage is one line.
    EXPECT_TRUE(c.usage || std::count(ran.err.begin(), ran.err.end(), '\n') == 1) << ran.err;
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
    // The page carries a digest that is not its own: what a proxy that changed it would give.
    testing::SendAll(fd,
                     "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR=127.0.0.1\nHTTP_VIA=\nPAGE_SHA256 = 0\n");
  });
  testing::LoopbackServer silent("127.0.0.1", nullptr, false);
  std::ofstream(dir / "works.txt") << judge.proxy() << "\r\n";
  std::ofstream(dir / "mixed.txt") << judge.proxy() << "\r\n" << silent.proxy() << "\r\n";
  std::ofstream(dir / "refused.txt") << "127.0.0.1:" << testing::ClosedPort("127.0.0.1") << "\r\n";
  // The proxy answers with the judge page itself: the test page is never fetched directly.
  std::string check = "check --find-ip 127.0.0.9 --timeout 2 --test-page 127.0.0.2/ ";

  EXPECT_EQ(Shell(dir, check + "refused.txt").code, 1);  // no proxy works
  testing::LoopbackServer web(
      "127.0.0.1", testing::AnswerWith("HTTP/1.0 200 OK\r\n\r\n# list\n" + judge.proxy() + "\n"));
  EXPECT_EQ(Shell(dir, check + "http://" + web.proxy() + "/a.txt").code, 0);  // fetched, works
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
  EXPECT_EQ(rows[0]["list"].dump() + rows[0]["status"].dump() + rows[0]["secure"].dump() +
                rows[0]["tampered"].dump() + rows[2]["list"].dump() + rows[2]["tampered"].dump(),
            R"("-""OK""?"true"refused.txt"false)");
  EXPECT_EQ(rows[0]["port"], judge.port());
  EXPECT_TRUE(rows[0]["ping"].is_number() && rows[0]["fetch_ms"].is_number()) << rows[0];
  std::tm utc{};
  std::istringstream verified(rows[0]["verified"].get<std::string>() + "|");
  EXPECT_TRUE(verified >> std::get_time(&utc, "%Y-%m-%dT%H:%M:%SZ|")) << verified.str();

  // On a terminal the table is coloured, unless NO_COLOR says otherwise; never into a pipe.
  std::string table = check + "works.txt refused.txt";
  std::string in_terminal = "script -qec '" + table + "' /dev/null";
  std::string coloured = Shell(dir, in_terminal).out;
  EXPECT_NE(coloured.find("\x1b[32mworks.txt"), std::string::npos) << coloured;
  EXPECT_NE(coloured.find("\x1b[31mrefused.txt"), std::string::npos) << coloured;
  EXPECT_EQ(Shell(dir, "NO_COLOR=1 " + in_terminal).out.find('\x1b'), std::string::npos);
  EXPECT_EQ(Shell(dir, table).out.find('\x1b'), std::string::npos);
}

// Each row's country, from a database in the user's data folder: of the address the judge saw
// (DE) before the proxy's own (FR). --country prints only those rows.
TEST(CheckProgram, printsTheCountryOfTheExitAddressElseOfTheProxy) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "data/quillet");
  if (!testing::MakeCountryDb(dir / "data/quillet/GeoLite2-Country.mmdb"))
    GTEST_SKIP() << testing::kNoCountryWriter;
  testing::LoopbackServer judge("127.0.1.1", [](testing::Socket fd, const auto&) {
    testing::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR=127.0.0.1\n");
  });
  std::ofstream(dir / "list.txt") << judge.proxy()
                                  << "\r\n127.0.1.1:" << testing::ClosedPort("127.0.1.1") << "\r\n";
  std::string check = "XDG_DATA_HOME=" + dir / "data" +
                      " check --ping none --timeout 2 --test-page 127.0.0.2/ -f json ";
  std::string found;
  for (std::string only : {"", "--country de,FR ", "--country fr "})
    for (const auto& row : nlohmann::json::parse(Shell(dir, check + only + "list.txt").out))
      found += row["country"].dump();
  EXPECT_EQ(found, R"("DE""FR""DE""FR""FR")");
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
  EXPECT_TRUE(err.find("quillet-check: The settings file '") != err.npos &&
              err.find("Registry.conf' could not be read (is not a plain file)") != err.npos &&
              err.find("xxx...") != err.npos && err.find(std::string(201, 'x')) == err.npos)
      << err;
  size_t kept = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir / "config/Brasklet"))
    kept += entry.path().string().find(".unreadable-") != std::string::npos;
  EXPECT_EQ(kept, 2u);
}

TEST(CheckProgram, anInterruptEndsItWithinASecondEvenWhileLoading) {
  testing::TempDir dir;
  std::ofstream big(dir / "big.txt");
  for (int i = 0; i < 1500000; ++i)
    big << "127." << (i >> 16 & 255) << '.' << (i >> 8 & 255) << '.' << (i & 255) << ":80\r\n";
  big.close();
  // TERM as soon as the program holds it back for its own handling (SigBlk has bit 15), which
  // is while the list is still being read; stderr's last line is the ms from TERM to the end.
  Ran ran = Shell(dir,
                  "sh -c 'check --rows 2-2 --test-page 127.0.0.2/ big.txt & p=$!; m=0; "
                  "while kill -0 $p 2>/dev/null && [ $((0x$m & 0x4000)) -eq 0 ]; do sleep 0.01; "
                  "m=$(sed -n \"s/^SigBlk:\\t//p\" /proc/$p/status 2>/dev/null); m=${m:-0}; done; "
                  "t=$(date +%s%N); kill -TERM $p; wait $p; c=$?; "
                  "echo $(( ($(date +%s%N) - t) / 1000000 )) >&2; exit $c'");
  std::string last = ran.err.substr(ran.err.find_last_of('\n', ran.err.size() - 2) + 1);
  EXPECT_TRUE(ran.code == 130 && std::stoi(last) < 1000) << ran.code << ": " << ran.err;
}

}  // namespace
}  // namespace quillet::check
