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
#include "fakes/loopback_server.h"
#include "fakes/verify_fixture.h"
#include "fakes/verify_window.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/posix_parallel_backend.h"

namespace quillet {
namespace {

class VerifyInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::OffscreenApp();
    settings_.ListFile = "list.txt";
  }
  void AddRow(const std::string& address, const std::string& name) {
    list_.AddRow({"", kServerIpIndent + address, name, "", "", "", "", "", "", ""});
  }
  // Verifies every row, turned by the window's event loop for at most 5 s; `meanwhile` runs
  // 100 ms in.
  void Verify(Resolver& resolver, int jobs,
              std::function<void(testing::ShownGrid&)> meanwhile = nullptr) {
    testing::ShownGrid grid(window_, 800, 300);
    testing::SelectForVerify(window_, 1, list_.LastRow());
    PosixParallelBackend backend(resolver);
    auto title = [this](const std::string& text) { titles_.push_back(text); };
    auto run = std::make_unique<VerifyRun>(
        window_, VerifyServices{backend, title, "Quillet", [] { return "now"; }}, jobs);
    QEventLoop loop;
    QTimer pump;
    testing::TurnFromEventLoop(pump, *run, [&] { loop.quit(); });
    if (meanwhile) QTimer::singleShot(100, [&] { meanwhile(grid); });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
  }

  ProxyList list_;
  AppSettings settings_;
  testing::FakeUserInterface ui_;
  ListWindow window_{list_, settings_, ui_};
  std::vector<std::string> titles_;
};

TEST_F(VerifyInWindow, clickWhileALookUpHangs_cancelsAtOnce) {
  for (int i = 0; i < 3; ++i) AddRow("", "hangs.example:80");
  ui_.message_answers = {MessageAnswer::Yes};
  // A name service that answers after 30 s. It outlives the test: its abandoned look-up may
  // still be sleeping when the test ends.
  static auto* resolver = new testing::FakeResolver;
  resolver->delay = std::chrono::seconds(30);
  std::chrono::steady_clock::time_point clicked;
  Verify(*resolver, 2, [&](testing::ShownGrid& grid) {
    clicked = std::chrono::steady_clock::now();
    QTest::mouseClick(grid.view.viewport(), Qt::LeftButton, {}, QPoint(200, 60));
  });
  auto took = std::chrono::steady_clock::now() - clicked;

  EXPECT_EQ(ui_.last_message(), "Cancel verification? ");
  EXPECT_LT(took, std::chrono::milliseconds(100));
  EXPECT_FALSE(settings_.Verifying);
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(list_.Text(row, kColStatus), "") << row;
}

// The first run on a new test page asks the judge for the own address: the title says so, the
// visit ends with the test time-out however slowly the judge trickles, and what it could not
// find is told only once the rows show their results.
TEST_F(VerifyInWindow, theOwnAddressVisitIsShownBoundedAndToldAfterTheResults) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) GTEST_SKIP() << "no ICMP permitted";
  testing::LoopbackServer judge("127.0.1.61", testing::Trickle(50));
  testing::LoopbackServer proxy(
      "127.0.1.62", testing::AnswerWith("HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = 127.0.0.9\n"));
  AddRow(proxy.proxy(), "");
  testing::UseJudge(settings_, judge.proxy(), "/", "REMOTE_ADDR", 500);
  settings_.FindIP.clear();
  std::string status_when_told;
  ui_.on_message = [&] { status_when_told = list_.Text(1, kColStatus); };
  GetAddrInfoResolver resolver;
  Verify(resolver, 1);

  ASSERT_FALSE(titles_.empty());
  EXPECT_EQ(titles_[0],
            "Quillet    asking the test page " + judge.proxy() + "/ for your own address...");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.last_message().find("could not be reached without a proxy"), std::string::npos)
      << ui_.last_message();
  EXPECT_EQ(status_when_told, "OK");
}

}  // namespace
}  // namespace quillet
