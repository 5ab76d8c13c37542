// The verification run in the window: the checks run away from the window, so a click on the
// grid reaches the cancel prompt while a row's name look-up hangs, and the cancel gives the
// window back at once instead of waiting for that look-up.
#include <gtest/gtest.h>

#include "fakes/offscreen_app.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "core/text.h"
#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "platform/posix/posix_parallel_backend.h"
#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "verify/verify_command.h"

namespace quillet {
namespace {

// A name service that answers after 30 s. It outlives the test: its abandoned look-up may
// still be sleeping when the test ends.
class HangingResolver : public testing::FakeResolver {
 public:
  std::optional<std::vector<std::string>> HostAddresses(const std::string&) override {
    std::this_thread::sleep_for(std::chrono::seconds(30));
    return std::nullopt;
  }
};

TEST(VerifyInWindow, clickWhileALookUpHangs_cancelsAtOnce) {
  testing::OffscreenApp();
  ProxyList list;
  for (int i = 0; i < 3; ++i) list.AddRow({"", "", "hangs.example:80", "", "", "", "", "", "", ""});
  AppSettings settings;
  settings.ListFile = "list.txt";
  testing::FakeUserInterface ui;
  ui.message_answers = {MessageAnswer::Yes};
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

  static auto* resolver = new HangingResolver;
  PosixParallelBackend backend(*resolver);
  auto run = std::make_unique<VerifyRun>(
      window, VerifyServices{backend, [](const std::string&) {}, "Quillet", [] { return "now"; }},
      2);
  QEventLoop loop;
  QTimer pump;
  std::chrono::steady_clock::time_point clicked;
  QObject::connect(&pump, &QTimer::timeout, [&] {
    if (!run->Pump(0)) loop.quit();
  });
  pump.start(10);
  QTimer::singleShot(100, [&] {
    clicked = std::chrono::steady_clock::now();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(200, 60));
  });
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  run.reset();
  auto took = std::chrono::steady_clock::now() - clicked;

  EXPECT_EQ(ui.last_message(), "Cancel verification? ");
  EXPECT_LT(took, std::chrono::milliseconds(100));
  EXPECT_FALSE(settings.Verifying);
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(list.Text(row, kColStatus), "") << row;
}

}  // namespace
}  // namespace quillet
