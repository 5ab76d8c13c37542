#include "verify/row_check.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "fakes/fake_user_interface.h"
#include "fakes/fake_verify_ports.h"

namespace quillet {
namespace {

using testing::FakeHttpClient;
using testing::FakePinger;
using testing::FakeUserInterface;

constexpr const char* kElite = "REMOTE_ADDR = 127.0.1.11\nHTTP_CLIENT_IP = \n";

class RowCheckTest : public ::testing::Test {
 protected:
  RowCheckTest() {
    settings_.TestHost = "127.0.2.1:8080";
    settings_.TestPath = "/";
    settings_.SearchText = "HTTP_CLIENT_IP";
    settings_.FindIP = "127.0.0.1";
    pinger_.statuses["127.0.1.11"] = ip_status::kSuccess;
    http_.replies["127.0.1.11:3128"] = {200, kElite};
  }

  // A selected line: column 0 empty, then Server IP, Server Name and the other seven cells.
  RowCheckOutcome Check(const std::string& ip, const std::string& name = "") {
    return CheckRow(Split("\t" + ip + "\t" + name + "\tcomment\t\t\t\t\t\t", "\t"), settings_,
                    services_);
  }

  ProbeSettings settings_;
  FakeHttpClient http_;
  FakePinger pinger_;
  std::map<std::string, std::string> names_{{"proxy.example", "127.0.1.11"}};
  RowCheckServices services_{http_, pinger_, [this](const std::string& name) {
                               auto found = names_.find(name);
                               return found == names_.end() ? std::string() : found->second;
                             }};
};

// Name-only and unresolvable rows are proven against real servers in the end-to-end suite.
TEST_F(RowCheckTest, rowsWithoutAUsableAddress) {
  EXPECT_EQ(Check("", "").status, "--");
  EXPECT_FALSE(Check("", "").failure);
  EXPECT_TRUE(Check("127.0.1.11").failure) << "address without port";
  EXPECT_TRUE(Check("", "proxy.example").failure);
  EXPECT_TRUE(CheckRow({"only one cell"}, settings_, services_).skipped);
  EXPECT_TRUE(pinger_.pinged.empty());
}

TEST_F(RowCheckTest, errorReports_areKeptForTheWindow) {
  settings_.TestHost = "127.0.2.1:99999";
  RowCheckOutcome outcome = Check("127.0.1.11:3128");
  EXPECT_FALSE(outcome.answered);
  EXPECT_TRUE(http_.requests.empty());
  ASSERT_FALSE(outcome.messages.empty());
  FakeUserInterface ui;
  outcome.messages.ReplayOn(ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Function: F6", 0), 0u);
}

}  // namespace
}  // namespace quillet
