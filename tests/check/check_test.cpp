// quillet-check: its errors, --write and the three output formats.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "check/check_options.h"
#include "check/check_output.h"
#include "check/check_run.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_resolver.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"
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
  options_.jobs = 3;
  CheckReport report = Run();
  EXPECT_EQ(report.exit_code, kExitOk) << err_.str();
  EXPECT_EQ(ReadFileBytes(list_),
            "' my proxies\r\n' second comment\r\n\r\n"
            "127.0.1.1:80\t|\t|\t|NOW\t|\t|OK\t|Y\t|7\t|\t\r\n"
            "127.0.1.2:80\t|\t|\t|NOW\t|\t|OK\t|N\t|7\t|12\t\r\n"
            "127.0.1.3:80\t|\t|\t|NOW\t|\t|403\t|\t|\t|\t\r\n"
            "127.0.1.4:80\t|\t|\t|NOW\t|\t|--\t|\t|\t|\t\r\n");
}

TEST_F(CheckRunTest, badInputGivesOneLineAndExitCodeTwo) {
  struct Case {
    std::function<void()> arrange;
    std::string says;
  } cases[] = {
      {[&] { std::ofstream(list_) << "abc:80\r\n"; }, "Error in Proxy List file:"},
      {[&] { options_.test_page = "nodots"; }, "test page 'nodots' cannot be used: a host name"},
      {[&] { options_.test_page = "ftp://a.b/"; }, "only http:// and https:// pages"},
      {[&] { options_.test_page = "a.b:65536/"; }, "the port must be a number from 1 to 65535"},
      {[&] { options_.last_row = 9; }, "--rows: the list has only 4 rows"},
      {[&] { store_.values.erase("TestURL"); }, "no test page is set: give --test-page"},
  };
  for (Case& c : cases) {
    options_ = CheckOptions{};
    options_.list_file = list_;
    std::ofstream(list_) << "127.0.1.1:80\r\n127.0.1.2:80\r\n127.0.1.3:80\r\n127.0.1.4:80\r\n";
    err_.str("");
    c.arrange();
    EXPECT_EQ(Run().exit_code, kExitBadInput) << c.says;
    std::string said = err_.str();
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

// A row that cannot be checked does not stop the others; --protocol chooses the rows.
TEST_F(CheckRunTest, aRowThatCannotBeCheckedLeavesTheOthersAndProtocolsChooseRows) {
  std::ofstream(list_) << "nocolon|x:1|||||||\r\n127.0.1.1:80\r\n";
  CheckReport report = Run();
  EXPECT_EQ(report.exit_code, kExitOk);
  EXPECT_NE(err_.str().find("row 1 (nocolon)"), std::string::npos) << err_.str();
  ASSERT_EQ(report.rows.size(), 1u);
  EXPECT_EQ(report.rows[0].status, "OK");
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
       "5/12/2026 10:00", "2026-12-05T10:00:00Z"},
      {"a.txt", 2, "name,with \"comma\"", "socks5", "name,with \"comma\"", 0, "--", "", "", "", "x",
       "2026-12-05T10:00:01Z"}};
  std::ostringstream table, csv, json;
  PrintRows(rows, OutputFormat::Table, table);
  PrintRows(rows, OutputFormat::Csv, csv, {true, false});
  PrintRows(rows, OutputFormat::Json, json);
  EXPECT_EQ(table.str(),
            "row  proxy              status  secure  level  ping  verified\n"
            "1    127.0.1.1:80       OK      Y       elite  3     5/12/2026 10:00\n"
            "2    name,with \"comma\"  --                           x\n");
  EXPECT_EQ(csv.str(),
            "list,row,proxy,status,secure,level,ping,verified\n"
            "a.txt,1,127.0.1.1:80,OK,Y,elite,3,5/12/2026 10:00\n"
            "a.txt,2,\"name,with \"\"comma\"\"\",--,,,,x\n");
  auto parsed = nlohmann::json::parse(json.str());
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].dump(),
            R"({"host":"127.0.1.1","level":"elite","list":"a.txt","ping":3,"port":80,)"
            R"("protocol":"http","proxy":"127.0.1.1:80","row":1,"secure":"Y","status":"OK",)"
            R"("verified":"2026-12-05T10:00:00Z"})");
  EXPECT_TRUE(parsed[1]["ping"].is_null());
}

TEST(CheckOutput, filtersAndSortChooseTheRowsToPrint) {
  std::vector<CheckedRow> rows;
  for (auto [status, level, ping] : {std::array<const char*, 3>{"--", "", ""},
                                     {"OK", "transparent", "30"},
                                     {"OK", "elite", "9"},
                                     {"OK", "anonymous", "120"},
                                     {"403", "", ""}})
    rows.push_back({"", int(rows.size()) + 1, "", "", "", 0, status, "", level, ping, "", ""});
  auto printed = [&rows](const std::function<void(CheckOptions&)>& choose) {
    CheckOptions options;
    choose(options);
    std::vector<int> numbers;
    for (const CheckedRow& chosen : RowsToPrint(rows, options)) numbers.push_back(chosen.row);
    return numbers;
  };
  EXPECT_EQ(printed([](auto&) {}), std::vector<int>({1, 2, 3, 4, 5}));
  EXPECT_EQ(printed([](auto& o) { o.only_working = true; }), std::vector<int>({2, 3, 4}));
  EXPECT_EQ(printed([](auto& o) { o.min_level = "anonymous"; }), std::vector<int>({3, 4}));
  EXPECT_EQ(printed([](auto& o) { o.sort_by_ping = true; }),
            std::vector<int>({3, 2, 4, 1, 5}));  // failed last
}

}  // namespace
}  // namespace quillet::check
