// The Verify command over the one engine: the cells it writes, the window's sequence with one
// job, the same cells with many at once, and cancels that land while rows are being checked.
#include <gtest/gtest.h>

#include "core/text.h"
#include "fakes/fake_check_io.h"
#include "fakes/fake_user_interface.h"
#include "fakes/verify_fixture.h"
#include "proxylist/grid_mouse.h"
#include "verify/verify_command.h"

namespace quillet {
namespace {

using testing::FakeUserInterface;

// One window with its list, settings and scripted check I/O.
struct Window {
  ProxyList list;
  AppSettings settings;
  FakeUserInterface ui;
  ListWindow window{list, settings, ui};
  testing::FakeHttpClient http;
  testing::FakePinger pinger;
  testing::ScriptedCheckIo io{http, pinger};
  testing::ScriptedParallelBackend backend{io};
  std::vector<std::string> captions;

  Window() {
    settings.ListFile = "list.txt";
    testing::UseJudge(settings, "127.0.2.1:8080", "/", "HTTP_CLIENT_IP");
    for (const char* ok : {"127.0.1.11", "127.0.1.12", "127.0.1.13", "127.0.1.15"}) {
      pinger.statuses[ok] = ip_status::kSuccess;
    }
    http.replies["127.0.1.11:80"] = {200, "REMOTE_ADDR = 127.0.1.11\nHTTP_CLIENT_IP = \n"};
    http.replies["127.0.1.12:80"] = {200, "HTTP_X_FORWARDED_FOR = 127.0.0.1 HTTP_CLIENT_IP"};
    http.replies["127.0.1.13:80"] = {200, "<p>not a judge</p>"};
    http.replies["127.0.1.15:80"] = {403, "denied"};
  }
  void AddRow(const std::string& ip, const std::string& col = "", const std::string& name = "") {
    list.AddRow({"", "     " + ip, name, "note", "", "", "", "", "", col});
  }
  void Select(int first, int last) { testing::SelectForVerify(window, first, last); }
  VerifyServices Services() {
    return {backend, [this](const std::string& text) { captions.push_back(text); }, "Quillet 0.1",
            [] { return std::string("05/12/2026 15:00:00"); }};
  }
};

void ExpectSameRows(const ProxyList& got, const ProxyList& want) {
  ASSERT_EQ(got.Rows(), want.Rows());
  for (int row = 1; row < got.Rows(); ++row) {
    const ProxyRow &a = got.Row(row), &b = want.Row(row);
    EXPECT_EQ(a.cells.All(), b.cells.All()) << "row " << row;
    EXPECT_TRUE(std::tie(a.fore, a.back, a.pictures) == std::tie(b.fore, b.back, b.pictures))
        << "the colours of row " << row;
  }
}

void AddOutcomeRows(Window& w) {
  w.AddRow("127.0.1.11:80", "12;14");
  w.AddRow("127.0.1.12:80", "12");
  w.AddRow("127.0.1.13:80");
  w.AddRow("127.0.1.14:80", "3;11");  // silent to ping
  w.AddRow("127.0.1.15:80");
}

// One at a time writes each outcome and follows each row in the title. Many at once finish out
// of order, yet write what one at a time writes, also around a line too short to check (it takes
// no row) and a row without a port (F17 after the rows before it).
TEST(VerifyRun, oneAtATimeAndManyAtOnceWriteEachOutcome) {
  auto run = [](int jobs, bool with_failure, Window& w) {
    AddOutcomeRows(w);
    AddOutcomeRows(w);
    if (with_failure) w.list.SetText(8, kColServerIp, "     127.0.1.12");
    w.Select(1, 10);
    w.settings.SelectedLines.insert(w.settings.SelectedLines.begin() + 3, "short");
    VerifyToEnd(w.window, w.Services(), jobs);
  };
  for (bool with_failure : {false, true}) {
    SCOPED_TRACE(with_failure ? "with a row without port" : "every row checkable");
    Window one, many;
    bool verifying_at_report = false;
    many.ui.on_message = [&] { verifying_at_report = many.settings.Verifying; };
    run(1, with_failure, one);
    run(8, with_failure, many);
    ExpectSameRows(many.list, one.list);
    EXPECT_FALSE(many.settings.Verifying);
    EXPECT_EQ(many.ui.messages.size(), one.ui.messages.size());
    if (with_failure) {
      EXPECT_EQ(many.ui.messages.at(0).text.rfind("Function: F17", 0), 0u);
      EXPECT_FALSE(verifying_at_report) << "the run must be over when its failure is shown";
      EXPECT_EQ(many.list.Row(9).back[kColServerIp], kMarkColor);  // not reached
      EXPECT_EQ(many.list.Row(7).cells[kColStatus], "OK");         // written before the failure
      continue;
    }
    struct Want {
      std::string status, secure, ping;
      CellPicture picture;
      Color fore, back;
    } want[] = {
        {"OK", "Y", "7", CellPicture::OK, PaletteColor(12), PaletteColor(14)},
        {"OK", "N", "7", CellPicture::No, PaletteColor(12), PaletteColor(15)},
        {"OK", "?", "7", CellPicture::Closed, Rgb(0, 0, 0), PaletteColor(15)},
        {"--", "", "", CellPicture::None, PaletteColor(3), one.list.FailColor},
        {"403", "", "", CellPicture::None, Rgb(0, 0, 0), one.list.FailColor},
    };
    std::vector<std::string> captions;
    for (int i = 0; i < 10; ++i) {
      const ProxyRow& row = one.list.Row(i + 1);
      const Want& w = want[i % 5];
      EXPECT_EQ(std::make_tuple(row.cells[kColStatus], row.cells[kColSecure], row.cells[kColPing],
                                row.cells[kColVerified], row.pictures[kColServerIp],
                                row.fore[kColCol], row.back[kColServerIp]),
                std::make_tuple(w.status, w.secure, w.ping, "05/12/2026 15:00:00", w.picture,
                                w.fore, w.back))
          << "row " << i + 1;
      captions.push_back("Quillet scan " + std::to_string(i + 1 + (i >= 3)) +
                         " of 11    (127.0.1.1" + std::to_string(i % 5 + 1) + ":80)");
    }
    captions.push_back("Quillet 0.1");
    EXPECT_EQ(one.captions, captions);
    EXPECT_EQ(one.http.requests.size(), 8u);  // the rows silent to ping are not probed
    EXPECT_TRUE(one.settings.ListDirty && !one.settings.Verifying);
    EXPECT_EQ(
        std::make_tuple(one.ui.pointer_changes.front(), one.ui.pointer(), one.list.GetFillMode()),
        std::make_tuple(PointerShape::Busy, PointerShape::Default, FillMode::Single));
  }
}

TEST(VerifyRun, fortyThousandRowsVerifyToTheLastPast32767) {
  for (int jobs : {1, 8}) {
    Window w;
    for (int i = 0; i < 40000; ++i) w.AddRow("127.0.1.11:80");
    w.Select(1, 40000);
    VerifyToEnd(w.window, w.Services(), jobs);
    EXPECT_EQ(w.list.Text(32768, kColStatus), "OK") << jobs;
    EXPECT_EQ(w.list.Text(40000, kColStatus), "OK") << jobs;
  }
}

// Cancel while rows are being checked, then a right-click that selects fewer lines: the run
// ends without reading past the new selection, writes nothing more and restores its marks.
TEST(VerifyRun, cancelDuringChecks_dropsThemAndRestoresTheRows) {
  for (int jobs : {1, 4}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    Window w;
    for (int i = 0; i < 5; ++i) w.AddRow("127.0.1.11:80", i == 3 ? ";14" : "");
    w.list.SetText(2, kColStatus, "OK");
    w.list.SetText(2, kColSecure, "Y");
    w.io.hold = true;
    w.Select(1, 5);
    VerifyRun run(w.window, w.Services(), jobs);
    auto shown = [&] { return w.list.Row(jobs).pictures[kColServerIp] == CellPicture::Arrow; };
    for (int i = 0; i < 200 && !shown(); ++i) run.Pump(5);
    ASSERT_TRUE(shown());
    EXPECT_EQ(w.io.started, jobs);
    w.ui.message_answers = {MessageAnswer::Yes};
    OfferToCancelVerification(w.window);
    // A right-click on one row while the cancelled checks are still out gives a one-line
    // selection; the run must neither read past it nor go on.
    w.list.SetRowHeights(240, 240);
    w.Select(1, 1);
    EXPECT_EQ(GridMouseDown(w.window, MouseButton::Right, 10, 300), MouseOutcome::ShowPopupMenu);
    EXPECT_FALSE(run.Pump(0));
    for (int row = 1; row <= 5; ++row) {
      EXPECT_EQ(w.list.Text(row, kColVerified), "") << row;
      EXPECT_EQ(w.list.Row(row).back[kColStatus], RestingBackground(w.list, row)) << row;
    }
    EXPECT_EQ(std::make_tuple(w.list.Row(1).pictures[kColServerIp],
                              w.list.Row(2).pictures[kColServerIp], w.list.Row(4).back[kColStatus]),
              std::make_tuple(CellPicture::None, CellPicture::OK, PaletteColor(14)));
    EXPECT_EQ(w.captions.back(), "Quillet 0.1");
    EXPECT_EQ(w.io.Pending(), 0u);
  }
}

}  // namespace
}  // namespace quillet
