#include "verify/verify_command.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "fakes/fake_user_interface.h"
#include "fakes/fake_verify_ports.h"
#include "proxylist/grid_mouse.h"

namespace quillet {
namespace {

using testing::FakeHttpClient;
using testing::FakePinger;
using testing::FakeUserInterface;

constexpr const char* kJudgePage = "REMOTE_ADDR = 127.0.1.11\nHTTP_CLIENT_IP = \n";

class VerifyCommandTest : public ::testing::Test {
 protected:
  VerifyCommandTest() {
    settings_.ListFile = "list.txt";
    settings_.TestHost = "127.0.2.1:8080";
    settings_.TestPath = "/";
    settings_.SearchText = "HTTP_CLIENT_IP";
    settings_.FindIP = "127.0.0.1";
    for (const char* ok : {"127.0.1.11", "127.0.1.12", "127.0.1.13", "127.0.1.15"}) {
      pinger_.statuses[ok] = ip_status::kSuccess;
    }
    http_.replies["127.0.1.11:80"] = {200, kJudgePage};
    http_.replies["127.0.1.12:80"] = {200, "HTTP_X_FORWARDED_FOR = 127.0.0.1 HTTP_CLIENT_IP"};
    http_.replies["127.0.1.13:80"] = {200, "<p>not a judge</p>"};
    http_.replies["127.0.1.15:80"] = {403, "denied"};
  }

  void AddRow(const std::string& ip, const std::string& col = "", const std::string& name = "") {
    list_.AddRow({"", "     " + ip, name, "note", "", "", "", "", "", col});
  }
  // Selects data rows first..last as a right-click would and runs the command.
  void Verify(int first, int last) {
    list_.SetCurrentRow(first);
    list_.SetCurrentCol(0);
    list_.SetSelectionEndRow(last);
    list_.SetSelectionEndCol(9);
    settings_.SelectedLines = Split(Trim(list_.SelectedText()), "\r");
    VerifyCommand(window_, services_);
  }
  const ProxyRow& Row(int row) const { return list_.Row(row); }

  ProxyList list_;
  AppSettings settings_;
  FakeUserInterface ui_;
  ListWindow window_{list_, settings_, ui_};
  FakeHttpClient http_;
  FakePinger pinger_;
  RowCheckServices checks_{http_, pinger_, [](const std::string&) { return std::string(); }};
  InPlaceRowRunner runner_;
  std::vector<std::string> captions_;
  VerifyServices services_{checks_, runner_,
                           [this](const std::string& text) { captions_.push_back(text); },
                           "Quillet 0.1", [] { return std::string("05/12/2026 15:00:00"); }};
};

TEST_F(VerifyCommandTest, eachRowGetsItsOutcomeColoursAndPicture) {
  AddRow("127.0.1.11:80", "12;14");
  AddRow("127.0.1.12:80", "12");
  AddRow("127.0.1.13:80");
  AddRow("127.0.1.14:80", "3;11");  // silent to ping
  AddRow("127.0.1.15:80");
  Verify(1, 5);

  struct Want {
    std::string status, secure, ping;
    CellPicture picture;
    Color fore, back;
  } want[] = {
      {"OK", "Y", "7", CellPicture::OK, PaletteColor(12), PaletteColor(14)},
      {"OK", "N", "7", CellPicture::No, PaletteColor(12), PaletteColor(15)},
      {"OK", "?", "7", CellPicture::Closed, Rgb(0, 0, 0), PaletteColor(15)},
      {"--", "", "", CellPicture::None, PaletteColor(3), list_.FailColor},
      {"403", "", "", CellPicture::None, Rgb(0, 0, 0), list_.FailColor},
  };
  for (int i = 0; i < 5; ++i) {
    const ProxyRow& row = Row(i + 1);
    SCOPED_TRACE("row " + std::to_string(i + 1));
    EXPECT_EQ(row.cells[kColStatus], want[i].status);
    EXPECT_EQ(row.cells[kColSecure], want[i].secure);
    EXPECT_EQ(row.cells[kColPing], want[i].ping);
    EXPECT_EQ(row.cells[kColVerified], "05/12/2026 15:00:00");
    EXPECT_EQ(row.pictures[kColServerIp], want[i].picture);
    EXPECT_EQ(row.fore[kColCol], want[i].fore);
    EXPECT_EQ(row.back[kColServerIp], want[i].back);
  }
  EXPECT_EQ(pinger_.payloads.at(0), "xoxo");
  EXPECT_EQ(http_.requests.size(), 4u);  // the silent row is not probed
  ASSERT_EQ(captions_.size(), 6u);
  EXPECT_EQ(captions_[0], "Quillet scan 1 of 5    (127.0.1.11:80)");
  EXPECT_EQ(captions_[4], "Quillet scan 5 of 5    (127.0.1.15:80)");
  EXPECT_EQ(captions_[5], "Quillet 0.1");
  EXPECT_TRUE(settings_.ListDirty);
  EXPECT_FALSE(settings_.Verifying);
  EXPECT_EQ(ui_.pointer_changes.front(), PointerShape::Busy);
  EXPECT_EQ(ui_.pointer(), PointerShape::Default);
  EXPECT_EQ(list_.GetFillMode(), FillMode::Single);
}

TEST_F(VerifyCommandTest, singleRow_captionNamesTheServerAndSelectionStays) {
  AddRow("", "", "proxy.example:80");
  AddRow("127.0.1.11:80");
  Verify(1, 1);
  ASSERT_FALSE(captions_.empty());
  EXPECT_EQ(captions_[0], "Quillet scan 1 of 1    (proxy.example:80)");
  EXPECT_EQ(list_.CurrentRow(), 1);
  EXPECT_EQ(Row(2).cells[kColStatus], "");  // not selected, not touched
}

// A click while a row's check waits is covered by the window test; here the click between rows.
TEST_F(VerifyCommandTest, cancelAfterTheSecondRowStopsTheRunAndNoLetsItGoOn) {
  for (int i = 0; i < 5; ++i) AddRow("127.0.1.11:80", i == 3 ? ";14" : "");
  ui_.message_answers = {MessageAnswer::Yes, MessageAnswer::No};
  ui_.on_pending_events = {nullptr, [this] { OfferToCancelVerification(window_); }};
  Verify(1, 5);
  EXPECT_EQ(ui_.messages.at(0).text, "Cancel verification? ");
  EXPECT_EQ(Row(2).cells[kColStatus], "OK");
  for (int row = 3; row <= 5; ++row) {
    EXPECT_EQ(Row(row).cells[kColStatus], "") << row;
    EXPECT_NE(Row(row).back[kColServerIp], kMarkColor) << row;
  }
  EXPECT_EQ(Row(4).back[kColStatus], PaletteColor(14));  // its own background is back
  EXPECT_EQ(http_.requests.size(), 2u);
  EXPECT_FALSE(settings_.Verifying);
  EXPECT_EQ(captions_.back(), "Quillet 0.1");
  ui_.pending_event_calls = 0;
  ui_.on_pending_events = {[this] { OfferToCancelVerification(window_); }};
  Verify(1, 5);
  EXPECT_EQ(Row(5).cells[kColStatus], "OK") << "answering No lets the run go on";
}

TEST_F(VerifyCommandTest, rowWithoutPort_endsTheRunWithF17) {
  AddRow("127.0.1.11:80");
  AddRow("127.0.1.12");
  AddRow("127.0.1.13:80");
  Verify(1, 3);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text.rfind("Function: F17", 0), 0u);
  EXPECT_FALSE(settings_.Verifying);
  EXPECT_EQ(Row(1).cells[kColStatus], "OK");
  EXPECT_EQ(Row(3).back[kColServerIp], kMarkColor);  // not reached: keeps the mark
  EXPECT_EQ(captions_.back(), "Quillet scan 2 of 3    (127.0.1.12)");
}

}  // namespace
}  // namespace quillet
