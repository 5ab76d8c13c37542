// The Verify command with many rows in flight: the same rows as the one-at-a-time run, written
// as they finish, the title counting finished rows, and a cancel that drops the rows in flight.
#include "verify/parallel_verify.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/text.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_user_interface.h"
#include "platform/posix/ucontext_fibers.h"
#include "proxylist/grid_mouse.h"

namespace quillet {
namespace {

using testing::FakeHttpClient;
using testing::FakePinger;
using testing::FakeUserInterface;

// One window with its list, settings, fakes and the services of both runs.
struct Window {
  ProxyList list;
  AppSettings settings;
  FakeUserInterface ui;
  ListWindow window{list, settings, ui};
  FakeHttpClient http;
  FakePinger pinger;
  testing::ScriptedCheckIo io{http, pinger};
  testing::ScriptedParallelBackend backend{io, [] { return std::make_unique<UcontextFibers>(); }};
  RowCheckServices checks{http, pinger, [](const std::string&) { return std::string(); }};
  InPlaceRowRunner runner;
  std::vector<std::string> captions;
  VerifyServices services{checks, runner,
                          [this](const std::string& text) { captions.push_back(text); }, "Quillet",
                          [] { return std::string("05/12/2026 15:00:00"); }};

  Window() {
    settings.ListFile = "list.txt";
    settings.TestHost = "127.0.2.1";
    settings.TestPath = "/";
    settings.SearchText = "REMOTE_ADDR";
    settings.FindIP = "127.0.0.1";
    list.AddRow({"", "     127.0.1.99:80", "", "above the selection", "", "", "", "", "", ""});
    for (int i = 1; i <= 12; ++i) {
      std::string address = "127.0.1." + std::to_string(i);
      if (i != 4) pinger.statuses[address] = ip_status::kSuccess;
      if (i % 3 == 1) http.replies[address + ":80"] = {200, "REMOTE_ADDR = " + address};
      if (i % 3 == 2) http.replies[address + ":80"] = {200, "REMOTE_ADDR 127.0.0.1"};
      if (i == 6) http.replies[address + ":80"] = {403, ""};
      std::string col = i == 5 ? "12;14" : i == 8 ? "3" : "";
      list.AddRow({"", "     " + address + ":80", "", "note", "", "", "", "", "", col});
    }
  }
  void Verify(int parallel) {
    list.SetCurrentRow(2);
    list.SetCurrentCol(0);
    list.SetSelectionEndRow(13);
    list.SetSelectionEndCol(9);
    settings.SelectedLines = Split(Trim(list.SelectedText()), "\r");
    VerifyRows(window, services, &backend, parallel);
  }
};

void ExpectSameRows(const ProxyList& got, const ProxyList& want) {
  ASSERT_EQ(got.Rows(), want.Rows());
  for (int row = 1; row < got.Rows(); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(got.Row(row).cells, want.Row(row).cells);
    EXPECT_EQ(got.Row(row).fore, want.Row(row).fore);
    EXPECT_EQ(got.Row(row).back, want.Row(row).back);
    EXPECT_EQ(got.Row(row).pictures, want.Row(row).pictures);
  }
}

TEST(ParallelVerify, parallelOne_isTheOneAtATimeRun) {
  Window one, plain;
  one.Verify(1);
  plain.list.SetCurrentRow(2);
  plain.list.SetCurrentCol(0);
  plain.list.SetSelectionEndRow(13);
  plain.list.SetSelectionEndCol(9);
  plain.settings.SelectedLines = Split(Trim(plain.list.SelectedText()), "\r");
  VerifyCommand(plain.window, plain.services);
  ExpectSameRows(one.list, plain.list);
  EXPECT_EQ(one.captions, plain.captions);
  EXPECT_EQ(one.io.started, 0) << "parallel 1 went through the engine";
}

TEST(ParallelVerify, manyAtOnce_writeTheRowsOfTheOneAtATimeRunAndCountFinishedRows) {
  Window parallel, sequential;
  parallel.Verify(4);
  sequential.Verify(1);
  ExpectSameRows(parallel.list, sequential.list);
  EXPECT_EQ(parallel.list.CurrentRow(), sequential.list.CurrentRow());
  ASSERT_EQ(parallel.captions.size(), 13u);
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(parallel.captions[size_t(k - 1)].rfind(
                  "Quillet scan " + std::to_string(k) + " of 12    (127.0.1.", 0),
              0u)
        << parallel.captions[size_t(k - 1)];
  }
  EXPECT_EQ(parallel.captions.back(), "Quillet");
  EXPECT_TRUE(parallel.settings.ListDirty);
  EXPECT_FALSE(parallel.settings.Verifying);
  EXPECT_EQ(parallel.ui.pointer(), PointerShape::Default);
  EXPECT_NE(parallel.captions[0], "Quillet scan 1 of 12    (127.0.1.1:80)")
      << "rows did not finish out of order";
}

TEST(ParallelVerify, cancelAtEight_keepsFinishedRowsAndRestoresTheOthers) {
  Window w;
  w.io.ends_per_round = 1;
  w.io.end_budget = 4;  // two rows finish (an echo and a fetch each); then nothing answers
  bool clicked = false;
  int started_at_click = 0;
  auto finished_rows = [&w] {
    int finished = 0;
    for (int row = 2; row <= 13; ++row) finished += !w.list.Text(row, kColStatus).empty();
    return finished;
  };
  w.ui.on_pending_events.assign(2000, [&] {
    if (clicked) return;
    if (finished_rows() < 2 && w.ui.pending_event_calls < 1000) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return;
    }
    clicked = true;
    started_at_click = w.io.started;
    OfferToCancelVerification(w.window);
  });
  w.Verify(8);
  ASSERT_TRUE(clicked);
  EXPECT_EQ(w.ui.messages.at(0).text, "Cancel verification? ");
  EXPECT_EQ(finished_rows(), 2);
  // Eight echoes, two fetches, and one echo for each row that took a finished row's place.
  EXPECT_EQ(started_at_click, 8 + 2 + 2);
  EXPECT_EQ(w.io.started, started_at_click) << "something started after the cancel";
  for (int row = 2; row <= 13; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_NE(w.list.Row(row).back[kColStatus], kMarkColor);
    if (w.list.Text(row, kColStatus).empty()) {
      EXPECT_EQ(w.list.Row(row).back[kColStatus], RestingBackground(w.list, row));
      EXPECT_EQ(w.list.Text(row, kColVerified), "");
    }
  }
  EXPECT_FALSE(w.settings.Verifying);
  EXPECT_EQ(w.captions.back(), "Quillet");
  EXPECT_EQ(w.io.Pending(), 0u);
}

TEST(ParallelVerify, rowWithoutPort_endsTheRunWithF17) {
  Window w;
  w.list.SetText(7, kColServerIp, "     no-port");
  w.Verify(3);
  ASSERT_FALSE(w.ui.messages.empty());
  EXPECT_NE(w.ui.messages.back().text.find("F17"), std::string::npos) << w.ui.messages.back().text;
  EXPECT_FALSE(w.settings.Verifying);
}

}  // namespace
}  // namespace quillet
