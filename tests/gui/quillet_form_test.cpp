// The whole main window offscreen, in the fixture of quillet_form_fixture.h.
#include <gio/gio.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <mutex>

#include "app/desktop_kind.h"
#include "browser/posix/desktop_sandbox.h"
#include "core/text.h"
#include "e2e/real_servers.h"
#include "fakes/country_db.h"
#include "fakes/fake_browser_pickup.h"
#include "fakes/loopback_server.h"
#include "gui/quillet_form_fixture.h"
#include "platform/posix/desktop_proxy_choice.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/maxmind_country_databases.h"
#include "proxylist/add_new.h"
#include "ui/qu_settings.h"

namespace quillet {
namespace {

using namespace quillet::testing;
namespace fs = std::filesystem;

// Every control a person can reach with Tab has a name a screen reader can say.
void ExpectNamed(QWidget* top) {
  for (QWidget* widget : top->findChildren<QWidget*>())
    EXPECT_TRUE(!widget->isVisibleTo(top) || !(widget->focusPolicy() & Qt::TabFocus) ||
                widget->inherits("QScrollBar") || widget->parentWidget()->inherits("QComboBox") ||
                !QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty())
        << widget->objectName().toStdString();
}

// The list is read after the proxy fields and before the window shows: the browser's current
// proxy row (40 of 60) is selected and scrolled into view, and a click hits the row drawn there.
TEST_F(QuilletFormTest, load_fillsTheWindowInOrder) {
  std::ofstream out(settings_.ListFile, std::ios::binary);
  for (int row = 1; row <= 60; ++row)
    out << (row == 40 ? "127.0.1.12" : "127.0.2." + std::to_string(row)) << ":8888\r\n";
  out.close();
  QuilletForm& form = Open();
  EXPECT_EQ(form.windowTitle().toStdString(), "Quillet            your public IP: 10.9.8.7");
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.1.12:8888");
  EXPECT_EQ(form.list().Selection().bottom, 40);
  EXPECT_TRUE(settings_.PingTimeoutMs == 900 && ui_.messages.empty());
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_TRUE(Grid()->viewport()->rect().contains(RowPoint(40))) << "the browser's row is seen";
  EXPECT_EQ(form.list().FirstVisibleRow(), ProxyTableModel::GridRow(Grid()->rowAt(0)));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(41));
  EXPECT_EQ(form.list().Selection().top, 41);
  QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(41));
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.2.41:8888");
  ExpectNamed(&form);
  for (const char* name : {"chkJava", "lblJava", "Option1_3", "sOldProxy_3"})
    EXPECT_EQ(Find<QWidget>(name)->isVisible(), kBrowserDesktop) << name;
}

// Add New takes a pasted block in every form a list line takes, offers the bad lines again as
// typed with one message that says what to fix, and is refused while another one looks a name up.
TEST_F(QuilletFormTest, addNew_takesABlockKeepsBadLinesAndRunsOneAtATime) {
  Open().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  resolver_->addresses["slow.example"] = {"127.0.1.30"};
  resolver_->names["127.0.1.13"] = "farm.test";
  resolver_->delay = std::chrono::milliseconds(100);
  ui_.text_answers = {
      " slow.example : 81 \n127.0.1.31:82|||||OK|Y|5|12;14\r\nbad.example\nsocks9://h.test:1\n"
      "SOCKS5://127.0.1.13:1080\n\n 127.0.1.14:1|2\nh.test:",
      "bad.example:83"};
  ui_.pending_event_calls = 0;
  ui_.on_pending_events = {[this] { Choose("popAddNew", 1); }};
  const CellRange selected = form_->list().Selection();
  Choose("popAddNew", 1);
  const ProxyList& list = form_->list();
  ASSERT_EQ(list.Rows(), 8);
  std::string rows;
  for (int row = 4; row <= 7; ++row)
    rows += list.Text(row, kColServerIp) + "|" + list.Text(row, kColServerName) + "|" +
            list.Text(row, kColStatus) + "|" + list.Text(row, kColCol) + "|" +
            list.Row(row).protocol() + "\n";
  EXPECT_EQ(rows,
            "     127.0.1.30:81|slow.example:81|||\n     127.0.1.31:82||OK|12;14|\n"
            "     127.0.1.13:1080|farm.test:1080|||socks5\n     |bad.example:83|||\n");
  EXPECT_TRUE(list.Selection().top == selected.top && list.Selection().bottom == selected.bottom &&
              settings_.ListDirty)
      << "the selection stays";
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text + "\n" + ui_.messages[1].text,
            std::string(kAddNewBusyMessage) +
                "\nPort number missing in bad.example\r\n"
                "Cannot add socks9://h.test:1: unknown proxy protocol \"socks9\"\r\n"
                "Port not numeric in 127.0.1.14:1/2\r\nPort not numeric in h.test:");
  EXPECT_EQ(ui_.text_initials, (std::vector<std::string>{
                                   "", "bad.example\nsocks9://h.test:1\n127.0.1.14:1|2\nh.test:"}));
}

// Columns start at their set widths, follow a drag of a title's edge, fit their content on a
// double-click there, and keep their widths to the next start.
TEST_F(QuilletFormTest, columnWidths_dragFitAndKeep) {
  Open().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  QHeaderView* header = Grid()->horizontalHeader();
  auto edge = [header](int col) {
    return QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) - 1,
                  header->height() / 2);
  };
  EXPECT_EQ(header->sectionSize(kColComment), 1680 / ListGridView::kTwipsPerPixel);
  QPoint from = edge(kColComment);
  QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(header->viewport(), from + QPoint(60, 0));
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, from + QPoint(60, 0));
  EXPECT_EQ(header->sectionSize(kColComment), 1680 / ListGridView::kTwipsPerPixel + 60);
  QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, edge(kColServerName));
  int fitted = header->sectionSize(kColServerName);
  EXPECT_EQ(fitted,
            std::max(static_cast<QAbstractItemView*>(Grid())->sizeHintForColumn(kColServerName),
                     header->sectionSizeHint(kColServerName)));
  ASSERT_TRUE(CloseBox());
  Open();
  EXPECT_EQ(Grid()->horizontalHeader()->sectionSize(kColComment), 1680 / 15 + 60);
  EXPECT_EQ(Grid()->horizontalHeader()->sectionSize(kColServerName), fitted);
}

// A run in the window: a progress bar with Stop while it goes, then the level beside the Secure
// code, the way each row was pinged and why a row failed in the tips, and a summary line.
// The Fetch column beside Ping shows how long the judge's answer took through the proxy (a proxy
// that waits 300 ms before it answers, pinged by a TCP connect in no time), and sorts by it from
// its title, rows without a fetch time last. With a country database a Country column follows:
// the country of the address the judge saw (127.0.0.9), its name in the tip.
TEST_F(QuilletFormTest, verifyRun_showsProgressLevelsReasonsFetchTimesCountriesAndASummary) {
  const std::string page = "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = 127.0.0.9\n";
  LoopbackServer elite("127.0.4.1", [page](Socket fd, const std::atomic<bool>& stopping) {
    Pause(300, stopping);
    SendAll(fd, page);
  });
  LoopbackServer forbidden("127.0.4.2", AnswerWith("HTTP/1.0 403 Forbidden\r\n\r\n"));
  LoopbackServer fast("127.0.4.5", AnswerWith(page));
  LoopbackServer stalls("127.0.4.4", Silent());
  std::ofstream(settings_.ListFile, std::ios::binary)
      << elite.proxy() << "\r\n"
      << forbidden.proxy() << "\r\n127.0.4.3:" << ClosedPort("127.0.4.3") << "\r\n"
      << fast.proxy() << "\r\n"
      << stalls.proxy() << "\r\n";
  store_->values = {{"TestURL", "127.0.0.2/judge"},
                    {"PingMethod", "tcp"},
                    {"SearchText", "REMOTE_ADDR"},
                    {"FindIP", "10.9.8.7"}};
  const bool countries = MakeCountryDb(temp_ / "countries.mmdb");
  if (countries) store_->values["CountryDatabase"] = temp_ / "countries.mmdb";
  Open().show();
  auto* bar = Find<QWidget>("pbVerify");
  auto* stop = Find<QPushButton>("bStop");
  auto run = [&](int first, int last) {
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(first));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(last));
    Choose("popVerify", last);
    EXPECT_TRUE(bar->isVisible() && stop->isVisible());
  };
  run(1, 4);
  for (int turn = 0; turn < 1000 && settings_.Verifying; ++turn) QTest::qWait(10);
  EXPECT_FALSE(bar->isVisible() || stop->isVisible());
  EXPECT_EQ(Find<QLabel>("lblListStatus")->text().toStdString(),
            "List file: list.txt (unsaved changes)    4 checked: 2 work, 2 elite");
  constexpr int kFetch = kColumnCount;
  EXPECT_EQ(Grid()->model()->headerData(kFetch, Qt::Horizontal).toString(), "Fetch");
  EXPECT_EQ(Grid()->model()->columnCount(), kColumnCount + (countries ? 2 : 1));
  EXPECT_EQ(Grid()->model()->headerData(kFetch + 1, Qt::Horizontal).toString().toStdString() + " " +
                Cell(1, kFetch + 1) + ", " + Cell(1, kFetch + 1, Qt::ToolTipRole),
            countries ? "Country DE, Germany (DE)" : " , ");
  EXPECT_GE(std::stoi(Cell(1, kFetch)), 300);
  EXPECT_LT(std::stoi(Cell(1, kColPing)), 100);
  EXPECT_TRUE(Cell(2, kFetch).empty() && Cell(3, kFetch).empty());
  EXPECT_EQ(Cell(1, kColSecure) + ", " + Cell(1, kColSecure, Qt::ToolTipRole),
            "elite, Secure Y, anonymity: elite");
  EXPECT_EQ(Cell(1, kColPing, Qt::ToolTipRole),
            "Ping: TCP connect time to the proxy's port, in ms");
  EXPECT_EQ(Cell(2, kColStatus, Qt::ToolTipRole), "The proxy answered with HTTP status 403");
  EXPECT_EQ(Cell(3, kColComment, Qt::ToolTipRole),
            "Refused: nothing accepts connections on the proxy's port");
  auto sorted = [&] {
    std::string order;
    for (int row = 1; row <= 5; ++row) order += Trim(Cell(row, kColServerIp)).substr(8, 1);
    return order;
  };
  Choose("popSortAsc", 0, kFetch);
  EXPECT_EQ(sorted(), "51234");
  Choose("popSortDesc", 0, kFetch);
  EXPECT_EQ(sorted(), "15234");
  Choose("popSortAsc", 0, -1);  // a title click right of every column sorts nothing
  EXPECT_EQ(sorted(), "15234");
  EXPECT_LT(std::stoi(Cell(2, kFetch)), 300);
  run(5, 5);
  QTest::mouseClick(stop, Qt::LeftButton);
  for (int turn = 0; turn < 100 && settings_.Verifying; ++turn) QTest::qWait(10);
  EXPECT_TRUE(!settings_.Verifying && ui_.messages.empty() && Cell(5, kColStatus).empty())
      << "Stop ends the run without a question";
}

// Proxies pasted with a user name and password (tinyproxy with BasicAuth): the grid never shows
// the password, Verify sends it, the tips name the user and, for a wrong one, the refusal.
TEST_F(QuilletFormTest, credentials_pastedVerifiedAndTheTipNamesTheUser) {
  if (FindProgram("tinyproxy").empty()) GTEST_SKIP() << "needs tinyproxy (make test)";
  std::unique_ptr<judge::JudgeServer> judge = StartJudge("127.0.8.5");
  RunningServer proxy = StartTinyproxy(temp_, "127.0.8.6", "127.0.8.6", "BasicAuth alice s3cret");
  ASSERT_TRUE(judge && proxy);
  store_->values = {{"TestURL", "127.0.8.5:" + std::to_string(judge->port()) + "/"},
                    {"PingMethod", "tcp"},
                    {"SearchText", "REMOTE_ADDR"}};
  Open().show();
  ui_.text_answers = {"alice:s3cret@" + proxy.proxy() + "\n" + proxy.proxy() + ":alice:nope"};
  Choose("popAddNew", 1);
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(4));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(5));
  Choose("popVerify", 5);
  for (int turn = 0; turn < 1000 && settings_.Verifying; ++turn) QTest::qWait(10);
  std::string shown;
  for (int col = kColServerIp; col < kColumnCount; ++col) shown += Cell(4, col) + Cell(5, col);
  EXPECT_TRUE(shown.find("s3cret") == shown.npos && shown.find("nope") == shown.npos) << shown;
  EXPECT_EQ(Cell(4, kColStatus) + Cell(5, kColStatus), "OK401");
  EXPECT_EQ(Cell(5, kColServerIp, Qt::ToolTipRole),
            "alice@" + proxy.proxy() +
                "\nUser alice, with a password\nThe proxy refused the user name and password "
                "(HTTP status 401)");
}

// A list from a web address, opened as a user does (typed into the settings, Enter, Reload): the
// line under the list names it; Save and the save prompt's Yes ask for a file, and a file
// chosen is written with the list's comments first and an empty line. A 404 and a page too large
// are said with the address and keep the list; a remembered address that no longer answers opens an
// empty list and stays for Reload.
TEST_F(QuilletFormTest, webList_loadsFromTheAddressSavesToAFileAndKeepsTheListWhenAFetchFails) {
  LoopbackServer web("127.0.0.1", AnswerWith("HTTP/1.0 200 OK\r\n\r\n# free\r\n\r\n"
                                             "127.0.1.21:8080\r\n 127.0.1.22:3128 \r\n"));
  LoopbackServer missing("127.0.0.1", AnswerWith("HTTP/1.0 404 Not Found\r\n\r\n"));
  LoopbackServer huge("127.0.0.1", Flood(17));
  auto address = [](const LoopbackServer& server) { return "http://" + server.proxy() + "/a.txt"; };
  QuilletForm& form = Open();
  auto reload_from = [this](const std::string& typed) {
    QTimer::singleShot(0, [typed] {
      QLineEdit* box =
          QApplication::activeModalWidget()->findChild<QComboBox*>("cboFiles")->lineEdit();
      box->selectAll();
      QTest::keyClicks(box, QString::fromStdString(typed));
      QTest::keyClick(box, Qt::Key_Return);
    });
    Find<QPushButton>("bSettings")->click();
    Find<QPushButton>("bRefresh")->click();
  };
  reload_from(address(web));
  EXPECT_EQ(form.list().Text(form.list().LastRow(), kColServerIp) + form.list().ListHeader,
            "     127.0.1.22:3128' free\r\n");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return Find<QLabel>("lblListStatus")->text().toStdString() == "List from " + address(web);
  }));
  for (auto [server, reason] : {std::pair{&missing, "the server answered with status 404"},
                                std::pair{&huge, "the list is larger than 16 MiB"}}) {
    reload_from(address(*server));
    EXPECT_EQ(ui_.last_message(), "Could not fetch the proxy list at '" + address(*server) +
                                      "': " + reason + ".\nReload tries again.");
    EXPECT_TRUE(form.list().LastRow() == 2 && settings_.ListFile == address(web));
  }
  settings_.ListDirty = true;
  ui_.text_answers = {"", temp_ / "kept.txt"};  // Save's file: none; then the prompt's Yes: one
  Find<QPushButton>("bSaveList")->click();
  EXPECT_TRUE(settings_.ListFile == address(web) && settings_.ListDirty);
  EXPECT_TRUE(CloseBox());
  EXPECT_TRUE(settings_.ListFile == temp_ / "kept.txt" && !settings_.ListDirty);
  EXPECT_EQ(ListText().substr(0, 27), "' free\r\n\r\n127.0.1.21:8080\t|");

  settings_.ListFile = address(missing);  // as start-up leaves an address remembered last time
  EXPECT_TRUE(Open().list().LastRow() == 0 && settings_.ListFile == address(missing) &&
              ui_.last_message().find("at '" + address(missing) + "': the server") !=
                  std::string::npos);
}

TEST_F(QuilletFormTest, withoutBrowserSettings_onlyTheListPartShows) {
  settings_.NoIE = true;
  Open().show();
  std::string shown;
  for (const char* name :
       {"cboConn", "chkProxy", "sOldProxy_0", "txtBypass", "bApply", "lblJava", "MSFlexGrid1",
        "bSaveList", "bExit", "bSettings", "lblBrask", "lblNotIE"})
    if (Find<QWidget>(name)->isVisible()) shown += std::string(name) + " ";
  EXPECT_EQ(shown, "MSFlexGrid1 bSaveList bExit bSettings lblBrask lblNotIE ");
  EXPECT_TRUE(
      Find<QLabel>("lblNotIE")->text().startsWith("Quillet found no desktop proxy settings"));
  EXPECT_EQ(form_->list().Rows(), 4);
}

// Unsaved list changes: the close box and Cancel follow the answer; only Cancel saves the test
// page and the list file's name, and a program that is ending asks no second time.
TEST_F(QuilletFormTest, closeBoxAndCancel_withUnsavedChanges_followTheAnswer) {
  const std::string original = ListText();
  Open();
  settings_.ListDirty = true;
  ui_.message_answers = {MessageAnswer::Cancel, MessageAnswer::No, MessageAnswer::Cancel,
                         MessageAnswer::No};
  EXPECT_FALSE(CloseBox());
  EXPECT_EQ(ui_.last_message(), "Do you want to save your list changes?");
  EXPECT_TRUE(CloseBox());
  EXPECT_EQ(ListText(), original);
  EXPECT_TRUE(store_->save_order.empty());  // the close box saves no setting
  EXPECT_TRUE(fs::exists(DesktopSandbox::ConfigHome() + "/Brasklet/QuilletWindow.ini"))
      << "the window's size is kept in the test's own folder";
  Open();
  settings_.ListDirty = true;
  Find<QPushButton>("bExit")->click();
  EXPECT_TRUE(store_->save_order.empty());
  Find<QPushButton>("bExit")->click();
  EXPECT_EQ(store_->save_order, (std::vector<std::string>{"TestURL", "ListFile"}));
  EXPECT_TRUE(CloseBox());
  EXPECT_EQ(ui_.messages.size(), 4u);
}

TEST_F(QuilletFormTest, keyboard_runsTheListCommandsOnTheCurrentRow) {
  Open().show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  auto* grid = Find<ListGridView>("MSFlexGrid1");
  auto* menu = Find<QWidget>("popMenu");
  QString letters;  // the popup's groups, and a letter of its own for each item
  for (QAction* item : menu->actions())
    letters += item->isSeparator() ? "|" : item->text().section('&', 1).left(1).toLower();
  EXPECT_EQ(letters, "v|cld|in|ao|se|yr|p");
  QTest::keyClick(grid, Qt::Key_Home);
  QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(grid, Qt::Key_Delete);
  QTest::keyClick(grid, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ListText(), "' list\r\n\r\n127.0.1.13:8888\t|\t|\t|\t|\t|\t|\t|\t|\t\r\n");
  std::ofstream(settings_.ListFile, std::ios::binary) << "127.0.1.11:8888\r\n127.0.1.12:8888\r\n";
  store_->values["ListFile"] = settings_.ListFile;  // the file Reload reads, as start-up keeps it
  QTest::keyClick(grid, Qt::Key_F5);
  QTest::keyClick(grid, Qt::Key_Up);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text(), "127.0.1.11:8888") << "Enter uses the row";
  QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(form_->list().Selection().bottom - form_->list().Selection().top, 1);
  for (auto [key, modifiers] :
       {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
    QPoint at;
    QTimer::singleShot(0, menu, [&] { at = menu->pos(), menu->close(); });
    QTest::keyClick(grid, key, modifiers);
    EXPECT_EQ(at,
              grid->viewport()->mapToGlobal(grid->visualRect(grid->model()->index(1, 1)).center()))
        << "the menu opens at the current row, 2";
  }
}

// The first run's sample and hint; a dark palette for rows and fields; Help opens the guide.
TEST_F(QuilletFormTest, firstRunSampleInADarkPaletteAndTheUserGuide) {
  QApplication::setPalette(QPalette(Qt::white, QColor(60, 60, 60), Qt::gray, Qt::black, Qt::gray,
                                    QColor(230, 230, 230), QColor(30, 30, 30)));
  settings_.ListFile = QUILLET_SOURCE_DIR "/data/QuilletD.txt";
  settings_.FirstRun = true;
  platform_->program_dir = QUILLET_BINARY_DIR;
  auto* shell = new RecordingShell;  // owned by the platform
  platform_->shell.reset(shell);
  Open().show();
  EXPECT_TRUE(ui_.messages.empty() && Find<QLabel>("lblFirstRun")->isVisible());
  EXPECT_EQ(ReadFileBytes(settings_.ListFile).find("127."), std::string::npos) << "no test set-up";
  auto colour = [this](int row, int role) {
    return Index(row, kColComment).data(role).value<QColor>();
  };
  EXPECT_TRUE(colour(7, Qt::BackgroundRole).lightness() < 100 &&
              colour(7, Qt::ForegroundRole).lightness() > 150)
      << "a failed row";
  EXPECT_EQ(colour(4, Qt::BackgroundRole), QColor(255, 255, 0)) << "colours chosen stay";
  EXPECT_LT(Find<QLineEdit>("sOldProxy_1")->palette().color(QPalette::Base).lightness(), 100);
  QTest::mouseClick(Find<QLabel>("lblHelp"), Qt::LeftButton, {}, QPoint(4, 8));
  const std::string guide = QUILLET_BINARY_DIR "/user-guide.html";
  EXPECT_EQ(shell->opened, std::vector<std::string>{guide + "  1 owned"});
  EXPECT_NE(ReadFileBytes(guide).find("<title>Quillet user guide</title>"), std::string::npos);
  QApplication::setPalette(QPalette());  // the default again
}

// A KDE session: start reads kioslaverc (which GLib's parser refuses) without touching it;
// Apply changes its lines; "Restore previous settings" puts every byte back.
TEST_F(QuilletFormTest, kdeSession_startLeavesKioslavercApplyChangesItRestoreGivesItBack) {
  const std::string path = DesktopSandbox::ConfigHome() + "/kioslaverc";
  const std::string kde =
      "# mine\n[Proxy Settings]\nProxyType=1\nhttpProxy=http://127.0.1.12 8888\nstray line\n"
      "[Other][$i]\nx=1";
  WriteTextFile(path, kde);
  setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
  platform_->connection_proxy =
      ChooseDesktopProxy(DesktopSandbox::DataHome() + "/quillet").component;
  unsetenv("XDG_CURRENT_DESKTOP");
  Open();
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.1.12:8888");
  EXPECT_EQ(ReadTextFile(path), kde);
  auto* restore = Find<QPushButton>("bRestore");
  EXPECT_TRUE(ui_.messages.empty() && !restore->isEnabled()) << ui_.last_message();

  Find<QPushButton>("bApply")->click();  // what was read, applied again: kioslaverc stays
  EXPECT_EQ(ReadTextFile(path), kde);
  Find<QLineEdit>("sOldProxy_0")->setText("127.0.1.13:8888");
  Find<QPushButton>("bApply")->click();
  EXPECT_NE(
      ReadTextFile(path).find("\nhttpProxy=http://127.0.1.13 8888\nhttpsProxy=http://"
                              "127.0.1.13 8888\nftpProxy=http://127.0.1.13 8888\nstray line\n"),
      std::string::npos);
  EXPECT_NE(ui_.last_message().find("On KDE Plasma these programs follow"), std::string::npos);
  ASSERT_TRUE(restore->isEnabled());
  QTest::mouseClick(restore, Qt::LeftButton);
  EXPECT_EQ(ReadTextFile(path), kde);
  EXPECT_TRUE(Find<QLineEdit>("sOldProxy_0")->text() == "127.0.1.12:8888" && !restore->isEnabled());
}

// Without a country database one line says where to get one; a file typed in that cannot be used
// is refused with its name and reason, and the dialog stays open.
TEST(QuSettingsDialog, showsStoredTimeoutsWholeAndRefusesADamagedCountryDatabase) {
  OffscreenApp();
  MemorySettingsStore store;
  FakeUserInterface ui;
  AppSettings settings;
  settings.PingTimeoutMs = 10000;
  struct NoneInstalled : MaxMindCountryDatabases {
    NoneInstalled() : MaxMindCountryDatabases("") {}
    std::vector<std::string> Folders() const override { return {}; }
  } countries;
  LoadCountryDatabase(settings, countries);
  SettingsDialogModel model({store, settings, ui, "/", [](std::string&) {}, nullptr,
                             [&](const std::string& named) {
                               return ChangeCountryDatabase(settings, countries, named);
                             }});
  QuSettings dialog(model, {});
  EXPECT_EQ(dialog.findChild<QLabel*>("lblCountry")->text(), kNoCountryDatabase);
  dialog.show();
  ExpectNamed(&dialog);
  for (QWidget* field : dialog.findChildren<QWidget*>(QRegularExpression("^(txt|cbo)")))
    EXPECT_TRUE(std::ranges::any_of(
        dialog.findChildren<QLabel*>(),
        [field](QLabel* label) { return label->buddy() == field && !label->toolTip().isEmpty(); }))
        << "a label with a tip: " << field->objectName().toStdString();
  EXPECT_EQ(dialog.findChild<QWidget*>("optOpen")->property("text"), "+ &open browser");
  EXPECT_EQ(dialog.findChild<QWidget*>("bAttachIE")->property("text"), "Create desktop &launcher");
  QTimer::singleShot(0, [] {
    auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    chooser->selectFile(QUILLET_SOURCE_DIR "/data/QuilletD.txt");
    static_cast<QDialog*>(chooser)->accept();
  });
  dialog.findChild<QPushButton*>("bBrowseList")->click();
  EXPECT_EQ(dialog.findChild<QWidget*>("cboFiles")->property("currentText"),
            QUILLET_SOURCE_DIR "/data/QuilletD.txt");
  auto* timeout = dialog.findChild<QLineEdit*>("txtTimeout");
  timeout->clear();
  QTest::keyClicks(timeout, "123456");  // what is typed is limited: 1234 is saved
  dialog.findChild<QComboBox*>("cboURLs")->setEditText("judge.example:99999/");
  dialog.findChild<QPushButton*>("bCheckJudge")->click();
  EXPECT_EQ(dialog.findChild<QLabel*>("lblJudge")->text(),
            "This test page cannot be used: the port must be a number from 1 to 65535.");
  auto* ping_by = dialog.findChild<QComboBox*>("cboPingMethod");
  EXPECT_EQ(ping_by->currentText(), "ICMP echo");
  ping_by->setCurrentIndex(ping_by->findData("tcp"));
  auto* country_db = dialog.findChild<QLineEdit*>("txtCountryDb");
  QTest::keyClicks(country_db, "/dev/null");
  dialog.findChild<QPushButton*>("bSave")->click();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ui.messages.back().text,
            "The country database '/dev/null' cannot be used: it is not a plain file");
  country_db->clear();
  dialog.findChild<QPushButton*>("bSave")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(store.values["PingMethod"] + settings.PingMethod + " " + store.values["ping"] + " " +
                store.values["TestTimeout"],
            "tcptcp 10000 1234");
}

// A session bus of the test's own (no service is ever started on it) with a notification
// service that records each "summary: body" it is sent, answering from the connection's own
// thread. The program finds the bus through DBUS_SESSION_BUS_ADDRESS.
class PrivateNotifications {
 public:
  explicit PrivateNotifications(const TempDir& folder) {
    std::string address = "unix:path=" + folder / "bus";
    std::ofstream(folder / "bus.conf")
        << "<busconfig><type>session</type><listen>" << address
        << "</listen><auth>EXTERNAL</auth><policy context='default'><allow send_destination='*'/>"
           "<allow receive_sender='*'/><allow own='*'/></policy></busconfig>\n";
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{FindProgram("dbus-daemon"), "--nofork",
                                 "--config-file=" + folder / "bus.conf"},
        folder / "bus.log");
    for (int i = 0; i < 100 && !std::filesystem::exists(folder / "bus"); ++i) QTest::qWait(50);
    auto flags = GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                      G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    bus_ =
        g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, nullptr);
    if (!bus_) return;  // a service that could not start is heard as silence
    g_dbus_connection_add_filter(bus_, &PrivateNotifications::Answer, this, nullptr);
    GVariant* owned = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", "org.freedesktop.Notifications", 4u), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (owned) g_variant_unref(owned);
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  }
  ~PrivateNotifications() {
    if (bus_) g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    if (bus_) g_object_unref(bus_);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillet-test-bus", 1);
  }
  std::string Heard(size_t i) {  // the i-th notification, or ""
    std::lock_guard<std::mutex> lock(mutex_);
    return i < heard_.size() ? heard_[i] : "";
  }

 private:
  static GDBusMessage* Answer(GDBusConnection* bus, GDBusMessage* call, gboolean incoming,
                              gpointer self) {
    if (!incoming || g_strcmp0(g_dbus_message_get_member(call), "Notify") != 0) return call;
    const gchar *summary = "", *body = "";
    g_variant_get_child(g_dbus_message_get_body(call), 3, "&s", &summary);
    g_variant_get_child(g_dbus_message_get_body(call), 4, "&s", &body);
    auto* me = static_cast<PrivateNotifications*>(self);
    std::lock_guard<std::mutex> lock(me->mutex_);
    me->heard_.push_back(std::string(summary) + ": " + body);
    GDBusMessage* reply = g_dbus_message_new_method_reply(call);
    g_dbus_message_set_body(reply, g_variant_new("(u)", 1u));
    g_dbus_connection_send_message(bus, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
    g_object_unref(reply);
    g_object_unref(call);
    return nullptr;  // answered here
  }

  std::unique_ptr<ChildProcess> daemon_;
  GDBusConnection* bus_ = nullptr;
  std::mutex mutex_;
  std::vector<std::string> heard_;
};

// The desktop's proxy as another program reads it: the server, or "direct".
std::string DesktopProxy() {
  GSettingsConnectionProxy desktop;
  std::string server;
  int32_t flags = 0;
  desktop.GetConnectionOption(kProxyOptionServer, "", server, flags);
  return flags == kProxyFlagsDirect ? "direct" : server;
}

// The window on an X display of the test's own (Xvfb), where a real XEmbed system tray
// (trayer) can be started, in a process of its own: its QApplication is made for that display.
class TrayFormTest : public QuilletFormTest {
 protected:
  void SetUp() override {
    if (QCoreApplication::instance()) GTEST_SKIP() << "needs a process of its own (as in ctest)";
    for (const char* program : {"Xvfb", "trayer", "xdotool"})
      if (FindProgram(program).empty()) GTEST_SKIP() << "needs Xvfb, trayer, xdotool (make test)";
    std::string display = ":" + std::to_string(100 + getpid() % 800);
    xvfb_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{FindProgram("Xvfb"), display, "-nolisten", "tcp"}, temp_ / "x");
    for (int i = 0; i < 100 && !fs::exists("/tmp/.X11-unix/X" + display.substr(1)); ++i)
      usleep(50000);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillet-test-bus", 1);
    QuilletFormTest::SetUp();
  }
  // A right-click on the tray icon on the display, as a person gives it, then a click on the
  // named item of the menu it opens.
  void ChooseInTray(QSystemTrayIcon* tray, const QString& item) {
    QPoint at = tray->geometry().center();
    ChildProcess click({FindProgram("xdotool"), "mousemove", "--sync", std::to_string(at.x()),
                        std::to_string(at.y()), "click", "3"},
                       temp_ / "xdotool");
    QMenu* menu = tray->contextMenu();
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000)) << "no tray menu";
    for (QAction* action : menu->actions())
      if (action->text() == item)
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  }
  // Runs the event loop as the program does while `act` does what the user does: the program's
  // exit code, or -1 when it still runs 10 s later.
  int RunProgram(const std::function<void()>& act) {
    QObject run;  // its timers go with it
    QTimer::singleShot(0, &run, act);
    QTimer::singleShot(10000, &run, [] { QCoreApplication::exit(-1); });
    return QApplication::exec();
  }

  std::unique_ptr<ChildProcess> xvfb_;
};

// The watch over the applied proxy in the real window, against real tinyproxy servers on
// loopback and the judge: the user turns it on in the settings dialog and applies a proxy.
// Without a tray, closing the window ends the program and its watch. With one, the user keeps
// the watch there; when the applied proxy dies the desktop's settings (GSettings in the
// sandbox's key file) move to the best verified row, and when every other row is dead too a
// notification service of the test's own, on a private session bus, hears so while the settings
// stay as they were. The tray icon's menu opens the window again and quits.
TEST_F(TrayFormTest, watch_goesOnInTheTraySwitchesThenSaysWhenNoneIsLeft) {
  if (FindProgram("tinyproxy").empty() || FindProgram("dbus-daemon").empty() ||
      !GnomeProxySchemaInstalled() || !IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
    GTEST_SKIP() << "needs tinyproxy, dbus-daemon, GNOME's schemas, ICMP sockets (make test)";
  }
  PrivateNotifications notifications(temp_);
  std::unique_ptr<judge::JudgeServer> judge = StartJudge("127.0.8.1");
  RunningServer applied = StartTinyproxy(temp_, "127.0.8.2", "127.0.8.2", "");
  RunningServer fast = StartTinyproxy(temp_, "127.0.8.3", "127.0.8.3", "");
  RunningServer slow = StartTinyproxy(temp_, "127.0.8.4", "127.0.8.4", "");
  ASSERT_TRUE(judge && applied && fast && slow);
  std::ofstream(settings_.ListFile) << applied.proxy() << "||||||||\n"
                                    << slow.proxy() << "|||||OK|Y|20|\n"
                                    << fast.proxy() << "|||||OK|N|10|\n";
  store_->values = {{"TestURL", "127.0.8.1:" + std::to_string(judge->port()) + "/"},
                    {"SearchText", "REMOTE_ADDR"},
                    {"TestTimeout", "2"}};
  platform_->connection_proxy = std::make_unique<GSettingsConnectionProxy>();
  UseResolver(std::move(MakePlatform()->resolver));  // the real name service
  QuilletForm& form = Open();
  form.show();

  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    auto* watch = dialog->findChild<QLineEdit*>("txtWatch");
    watch->selectAll();
    QTest::keyClicks(watch, "1");
    dialog->findChild<QPushButton*>("bSave")->click();
  });
  form.findChild<QPushButton*>("bSettings")->click();
  EXPECT_EQ(store_->values["WatchSeconds"], "1");
  QTest::keyClicks(form.findChild<QLineEdit*>("sOldProxy_0"),
                   QString::fromStdString(applied.proxy()));
  form.findChild<QCheckBox*>("chkProxy")->click();
  form.findChild<QPushButton*>("bApply")->click();
  ASSERT_EQ(DesktopProxy(), applied.proxy());
  EXPECT_EQ(RunProgram([&] { form.close(); }), 0) << "without a tray, closing ends the program";

  form.show();  // started again, now beside a tray
  ChildProcess tray_host({FindProgram("trayer"), "--edge", "top"}, temp_ / "trayer");
  ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000));
  EXPECT_FALSE(form.close()) << "closed to the tray, it goes on";
  EXPECT_EQ(store_->values["WatchInTray"], "1");  // asked once, answered Yes
  auto* tray = form.findChild<QSystemTrayIcon*>();
  ASSERT_TRUE(tray && tray->isVisible() && !form.isVisible());
  EXPECT_FALSE(tray->icon().isNull()) << "an icon the user can see and click";

  applied.process.reset();
  // Within three periods and the test page's time-out the fastest verified row holds the settings.
  EXPECT_TRUE(QTest::qWaitFor([&] { return DesktopProxy() == fast.proxy(); }, 3 * 1000 + 2000));
  EXPECT_EQ(form.list().Text(1, kColStatus), "--");  // the dead proxy's row says so
  EXPECT_EQ(form.list().Text(3, kColStatus), "OK");  // re-checked before it was applied
  EXPECT_EQ(notifications.Heard(0).rfind("Quillet switched the proxy: " + applied.proxy(), 0), 0u)
      << notifications.Heard(0);
  EXPECT_NE(form.statusBar()->currentMessage().toStdString().find(fast.proxy()), std::string::npos);
  ChooseInTray(tray, "Show Quillet");
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }, 5000) && !tray->isVisible());

  fast.process.reset();
  slow.process.reset();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.Heard(1).empty(); }, 10000));
  EXPECT_EQ(notifications.Heard(1).rfind("Quillet: no working proxy left: " + fast.proxy(), 0), 0u);
  EXPECT_EQ(DesktopProxy(), fast.proxy()) << "never a silent change to direct";
  EXPECT_EQ(form.list().Text(2, kColStatus), "--");

  EXPECT_FALSE(form.close());  // to the tray again, without asking
  EXPECT_EQ(RunProgram([&] { ChooseInTray(tray, "Quit"); }), 0);
  EXPECT_NE(ListText().find("--\t|"), std::string::npos)
      << "Quit asked to save the watch's findings (answered Yes): " << ListText();
  EXPECT_EQ(ui_.messages.size(), 2u) << ui_.last_message();
  form_.reset();  // the window goes before its servers and the notification service
}

}  // namespace
}  // namespace quillet
