// The verification run in the window: while a row's check waits on the network, the window
// keeps handling events, so a click on the grid reaches the cancel prompt before the check ends.
#include <gtest/gtest.h>

#include "fakes/offscreen_app.h"

#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/text.h"
#include "fakes/fake_user_interface.h"
#include "fakes/fake_verify_ports.h"
#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "ui/qt_row_runner.h"

namespace quillet {
namespace {

TEST(VerifyInWindow, clickDuringTheWait_reachesTheCancelPromptBeforeTheCheckEnds) {
  testing::OffscreenApp();
  ProxyList list;
  for (int i = 0; i < 3; ++i)
    list.AddRow({"", "     127.0.1.11:80", "", "", "", "", "", "", "", ""});
  AppSettings settings;
  settings.ListFile = "list.txt";
  settings.TestHost = "127.0.2.1:8080";
  settings.TestPath = "/";
  settings.SearchText = "HTTP_CLIENT_IP";
  settings.FindIP = "127.0.0.1";
  testing::FakeUserInterface ui;
  ListWindow window{list, settings, ui};
  ProxyTableModel model(list);
  ListGridView grid(window, &model);
  grid.resize(800, 300);
  grid.show();
  list.SetCurrentRow(1);
  list.SetCurrentCol(0);
  list.SetSelectionEndRow(3);
  list.SetSelectionEndCol(kColCol);
  settings.SelectedLines = Split(Trim(list.SelectedText()), "\r");

  testing::FakeHttpClient http;
  http.replies["127.0.1.11:80"] = {200, "REMOTE_ADDR = 127.0.1.11 HTTP_CLIENT_IP"};
  std::atomic<bool> release{false};
  std::atomic<bool> check_ended{false};
  http.on_get = [&](const HttpRequest&) {
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!release && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    check_ended = true;
  };
  testing::FakePinger pinger;
  pinger.statuses["127.0.1.11"] = ip_status::kSuccess;
  RowCheckServices checks{http, pinger, [](const std::string&) { return std::string(); }};
  QtRowRunner runner;
  VerifyServices services{checks, runner, [](const std::string&) {}, "Quillet",
                          [] { return std::string("now"); }};

  bool prompt_while_waiting = false;
  QTimer::singleShot(50, [&] {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(200, 60));
    prompt_while_waiting = !ui.messages.empty() && !check_ended;
    release = true;
  });
  VerifyCommand(window, services);

  EXPECT_TRUE(prompt_while_waiting);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages[0].text, "Cancel verification? ");
  EXPECT_EQ(list.Text(1, kColStatus), "OK") << "the row under test still gets its result";
  EXPECT_EQ(list.Text(2, kColStatus), "");
  EXPECT_EQ(http.requests.size(), 1u);
  EXPECT_FALSE(settings.Verifying);
}

}  // namespace
}  // namespace quillet
