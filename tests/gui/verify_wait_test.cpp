// The verification run in the window: the checks run away from the window, so a click on the
// grid reaches the cancel prompt while a row's name look-up hangs, and the cancel gives the
// window back at once instead of waiting for that look-up.
#include <gtest/gtest.h>

#include "fakes/offscreen_app.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "fakes/verify_fixture.h"
#include "fakes/verify_window.h"
#include "platform/posix/posix_parallel_backend.h"

namespace quillet {
namespace {

TEST(VerifyInWindow, clickWhileALookUpHangs_cancelsAtOnce) {
  testing::OffscreenApp();
  ProxyList list;
  for (int i = 0; i < 3; ++i) list.AddRow({"", "", "hangs.example:80", "", "", "", "", "", "", ""});
  AppSettings settings;
  settings.ListFile = "list.txt";
  testing::FakeUserInterface ui;
  ui.message_answers = {MessageAnswer::Yes};
  ListWindow window{list, settings, ui};
  testing::ShownGrid grid(window, 800, 300);
  testing::SelectForVerify(window, 1, 3);

  // A name service that answers after 30 s. It outlives the test: its abandoned look-up may
  // still be sleeping when the test ends.
  static auto* resolver = new testing::FakeResolver;
  resolver->delay = std::chrono::seconds(30);
  PosixParallelBackend backend(*resolver);
  auto run = std::make_unique<VerifyRun>(
      window, VerifyServices{backend, [](const std::string&) {}, "Quillet", [] { return "now"; }},
      2);
  QEventLoop loop;
  QTimer pump;
  std::chrono::steady_clock::time_point clicked;
  testing::TurnFromEventLoop(pump, *run, [&] { loop.quit(); });
  QTimer::singleShot(100, [&] {
    clicked = std::chrono::steady_clock::now();
    QTest::mouseClick(grid.view.viewport(), Qt::LeftButton, {}, QPoint(200, 60));
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
