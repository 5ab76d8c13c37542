// The list part of the main window: select rows with the mouse, right-click, run a popup
// command, colour rows in the picker, load a large list; a verification run in the grid.

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "fakes/loopback_server.h"
#include "fakes/verify_fixture.h"
#include "fakes/verify_window.h"
#include "gui/quillet_form_fixture.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/posix_parallel_backend.h"
#include "proxylist/list_commands.h"
#include "ui/list_panel.h"

namespace quillet {
namespace {

using namespace quillet::testing;

class ListPanelTest : public QuilletFormTest {
 protected:
  void SetUp() override {
    QuilletFormTest::SetUp();
    std::ofstream(settings_.ListFile, std::ios::binary)
        << "' sample\r\n10.0.0.1:80\r\n\t|b.example.com:81\t|two\t|\t|\t|OK\t|Y\t|5\t|\t\r\n"
           "10.0.0.3:82\r\n10.0.0.4:83\r\n";
    Open().resize(1200, 600);  // wide enough for every column
    form_->show();
  }
  ListPanel& Panel() { return *form_->findChild<ListPanel*>(); }
  const ProxyList& list() { return form_->list(); }
};

TEST_F(ListPanelTest, rowCommandsActOnlyOnWhatIsDrawnSelected) {
  // Copy cell and a double-click shrink the selection to one cell, which is drawn selected.
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(2));
  Choose("popCopy", 2, kColServerName);
  EXPECT_TRUE(ui_.clipboard == "b.example.com:81" && DrawnSelected(2, kColServerName));
  ui_.clipboard_fails = true;  // a failing command is reported, never an abort
  Choose("popCopy", 2, kColServerName);
  EXPECT_EQ(ui_.last_message(), "Function: F16\r\nError: 51\r\nCan't open clipboard");
  EXPECT_FALSE(DrawnSelected(2, kColComment));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(3, kColServerIp));
  QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(3, kColServerIp));
  EXPECT_TRUE(DrawnSelected(3, kColServerIp) && !DrawnSelected(2, kColServerName));
  // A load ends with its last row's cell selected; scrolled out of view it counts as none.
  std::ofstream(settings_.ListFile, std::ios::binary)
      << "10.0.0.1:80\r\n10.0.0.2:80\r\n10.0.0.3:80\r\n10.0.0.4:80|||||OK|Y||\r\n";
  int row_height = Grid()->verticalHeader()->defaultSectionSize();  // two rows and a half
  Grid()->setFixedHeight(Grid()->horizontalHeader()->height() + row_height * 5 / 2 +
                         2 * Grid()->frameWidth());
  QCoreApplication::processEvents();
  Panel().LoadList();
  ASSERT_TRUE(list().Selection().top == 4 && !list().RowIsVisible(4));
  Choose("popDelete", 1);
  EXPECT_EQ(ui_.last_message(), "Please select one or more lines from the list");
  EXPECT_EQ(list().Rows(), 5);
  // The bottom row, shown in part, can be clicked.
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, {10, Grid()->viewport()->height() - 2});
  EXPECT_EQ(list().Selection().top, 3);
}

TEST_F(ListPanelTest, aLargeListLoadsWhileTheWindowTurnsAndNoCommandTouchesIt) {
  constexpr int kRows = 200000;
  std::ofstream out(settings_.ListFile, std::ios::binary);
  for (int i = 1; i <= kRows; ++i) out << "127.0." << i / 200 << '.' << i % 200 << ":80\r\n";
  out.close();
  const std::string file = ReadFileBytes(settings_.ListFile);
  ui_.turns_event_loop = true;
  int turns_while_loading = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!settings_.Loading || ++turns_while_loading != 2) return;
    Panel().findChild<QPushButton*>("bSaveList")->click();  // would write the emptied list
    Panel().findChild<QPushButton*>("bRefresh")->click();
    Item("popSortDesc")->trigger();
  });
  timer.start(5);
  Panel().LoadList();
  EXPECT_GE(turns_while_loading, 3) << "the window's events were handled during the load";
  ASSERT_EQ(list().Rows(), kRows + 1);
  EXPECT_EQ(list().Text(kRows, kColServerIp), "     127.0.1000.0:80");
  EXPECT_EQ(list().Selection().top, kRows) << "the last row is current, as after any load";
  EXPECT_EQ(ReadFileBytes(settings_.ListFile), file);
  EXPECT_TRUE(!settings_.Loading && ui_.messages.size() == 3u &&
              ui_.last_message() == kListLoadingMessage);
}

TEST_F(ListPanelTest, selectedRows_takeTheColourPickedAndStayPutWhileAResolveRunHoldsThem) {
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(1));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(2));
  QTimer::singleShot(0, [] {
    QWidget* picker = QApplication::activeModalWidget();
    ASSERT_NE(picker, nullptr);
    QTest::mouseClick(picker->findChild<QPushButton*>("Command1_4"), Qt::LeftButton);
    picker->findChild<QWidget*>("Option2")->setProperty("checked", true);
    QTest::mouseClick(picker->findChild<QPushButton*>("Command1_6"), Qt::LeftButton);
    QTest::mouseClick(picker->findChild<QPushButton*>("bExit"), Qt::LeftButton);
  });
  Choose("popColor", 2);
  EXPECT_EQ(list().Text(1, kColCol) + "|" + list().Text(2, kColCol) + "|" + list().Text(3, kColCol),
            "12;14|12;14|");
  EXPECT_EQ(list().GetFillMode(), FillMode::Single);
  resolver_->addresses["b.example.com"] = {"127.0.1.21"};
  ui_.pending_event_calls = 0;
  ui_.on_pending_events = {[this] {
    for (const char* item : {"popDelete", "popSortAsc", "popAddNew", "popGetName"})
      Item(item)->trigger();
    Panel().findChild<QPushButton*>("bRefresh")->click();
  }};
  Choose("popGetIP", 1);
  EXPECT_EQ(list().Rows(), 5);
  EXPECT_EQ(list().Text(2, kColServerIp), "     127.0.1.21:81") << "written to the row read from";
  EXPECT_TRUE(ui_.messages.size() == 5u && ui_.last_message() == kRowsBusyMessage);
  settings_.Verifying = true;
  Item("popDelAllGray")->trigger();
  EXPECT_EQ(list().Rows(), 5);
}

// The verification run in the window: the checks run away from the window, so a click on the
// grid reaches the cancel prompt while a row's name look-up hangs, and the cancel gives the
// window back at once instead of waiting for that look-up.
class VerifyInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    OffscreenApp();
    settings_.ListFile = "list.txt";
  }
  void AddRow(const std::string& address, const std::string& name) {
    list_.AddRow({"", kServerIpIndent + address, name, "", "", "", "", "", "", ""});
  }
  // Verifies every row, turned by the window's event loop for at most 5 s; `meanwhile` runs
  // 100 ms in.
  void Verify(Resolver& resolver, int jobs, std::function<void(ShownGrid&)> meanwhile = nullptr) {
    ShownGrid grid(window_, 800, 300);
    SelectForVerify(window_, 1, list_.LastRow());
    PosixParallelBackend backend(resolver);
    auto title = [this](const std::string& text) { titles_.push_back(text); };
    auto run = std::make_unique<VerifyRun>(
        window_, VerifyServices{backend, title, "Quillet", [] { return "now"; }}, jobs);
    QEventLoop loop;
    QTimer pump;
    TurnFromEventLoop(pump, *run, [&] { loop.quit(); });
    if (meanwhile) QTimer::singleShot(100, [&] { meanwhile(grid); });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
  }

  ProxyList list_;
  AppSettings settings_;
  FakeUserInterface ui_;
  ListWindow window_{list_, settings_, ui_};
  std::vector<std::string> titles_;
};

TEST_F(VerifyInWindow, clickWhileALookUpHangs_cancelsAtOnce) {
  for (int i = 0; i < 3; ++i) AddRow("", "hangs.example:80");
  ui_.message_answers = {MessageAnswer::Yes};
  // A name service that answers after 30 s. It outlives the test: its abandoned look-up may
  // still be sleeping when the test ends.
  static auto* resolver = new FakeResolver;
  resolver->delay = std::chrono::seconds(30);
  std::chrono::steady_clock::time_point clicked;
  Verify(*resolver, 2, [&](ShownGrid& grid) {
    clicked = std::chrono::steady_clock::now();
    QTest::mouseClick(grid.view.viewport(), Qt::LeftButton, {}, QPoint(200, 60));
  });
  auto took = std::chrono::steady_clock::now() - clicked;

  EXPECT_EQ(ui_.last_message(), "Cancel verification? ");
  EXPECT_TRUE(took < std::chrono::milliseconds(100) && !settings_.Verifying);
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(list_.Text(row, kColStatus), "") << row;
}

// The first run on a new test page asks the judge for the own address: the title says so, the
// visit ends with the test time-out however slowly the judge trickles, and what it could not
// find is told only once the rows show their results.
TEST_F(VerifyInWindow, theOwnAddressVisitIsShownBoundedAndToldAfterTheResults) {
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) GTEST_SKIP() << "no ICMP permitted";
  LoopbackServer judge("127.0.1.61", Trickle(50));
  LoopbackServer proxy("127.0.1.62",
                       AnswerWith("HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = 127.0.0.9\n"));
  AddRow(proxy.proxy(), "");
  UseJudge(settings_, judge.proxy(), "/", "REMOTE_ADDR", 500);
  settings_.FindIP.clear();
  std::string status_when_told;
  ui_.on_message = [&] { status_when_told = list_.Text(1, kColStatus); };
  GetAddrInfoResolver resolver;
  Verify(resolver, 1);

  EXPECT_EQ(titles_.empty() ? "" : titles_[0],
            "Quillet    asking the test page " + judge.proxy() + "/ for your own address...");
  EXPECT_TRUE(ui_.messages.size() == 1 &&
              ui_.last_message().find("could not be reached without a proxy") != std::string::npos)
      << ui_.last_message();
  EXPECT_EQ(status_when_told, "OK");
}

}  // namespace
}  // namespace quillet
