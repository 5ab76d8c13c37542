// The whole main window offscreen, over the real Linux adapters in temporary folders, with the
// user, the settings store, the name service and the proxy settings scripted.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/desktop_kind.h"
#include "browser/posix/desktop_sandbox.h"
#include "fakes/fake_browser_pickup.h"
#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "fakes/loopback_server.h"
#include "fakes/memory_connection_proxy.h"
#include "fakes/memory_settings_store.h"
#include "fakes/offscreen_app.h"
#include "fakes/temp_dir.h"
#include "proxylist/add_new.h"
#include "platform/posix/desktop_proxy_choice.h"
#include "proxylist/atomic_file.h"
#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "ui/qu_settings.h"
#include "ui/quillet_form.h"

namespace quillet {
namespace {

using testing::MemorySettingsStore;
namespace fs = std::filesystem;

// Every control a person can reach with Tab has a name a screen reader can say.
void ExpectNamed(QWidget* top) {
  for (QWidget* widget : top->findChildren<QWidget*>())
    EXPECT_TRUE(!widget->isVisibleTo(top) || !(widget->focusPolicy() & Qt::TabFocus) ||
                widget->inherits("QScrollBar") || widget->parentWidget()->inherits("QComboBox") ||
                !QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty())
        << widget->objectName().toStdString();
}

class QuilletFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::OffscreenApp();
    platform_ = MakePlatform();
    auto store = std::make_unique<MemorySettingsStore>();
    store_ = store.get();
    store_->values = {{"TestURL", "judge.example/env"}, {"ping", "900"}};
    platform_->settings = std::move(store);
    auto component = std::make_unique<testing::MemoryConnectionProxy>();
    component->Put("", "127.0.1.12:8888", 2);
    platform_->connection_proxy = std::move(component);
    auto resolver = std::make_unique<testing::FakeResolver>();
    resolver_ = resolver.get();
    resolver->addresses["quillet-test"] = {"10.9.8.1", "10.9.8.7"};
    platform_->resolver = std::move(resolver);

    settings_.ListFile = temp_ / "list.txt";
    std::ofstream(settings_.ListFile, std::ios::binary)
        << "' list\r\n127.0.1.11:8888\r\n127.0.1.12:8888\r\n127.0.1.13:8888\r\n";
  }

  QuilletForm& Open() {
    form_ = std::make_unique<QuilletForm>(*platform_, settings_, ui_);
    return *form_;
  }
  template <class Widget>
  Widget* Find(const char* name) {
    return form_->findChild<Widget*>(name);
  }
  std::string ListText() { return ReadFileBytes(settings_.ListFile); }
  ListGridView* Grid() { return Find<ListGridView>("MSFlexGrid1"); }
  QPoint RowPoint(int grid_row, int col = kColComment) {
    return Grid()
        ->visualRect(Grid()->model()->index(ProxyTableModel::ModelRow(grid_row), col))
        .center();
  }
  // A right-click on a row that chooses the named popup item.
  void Choose(const char* item, int grid_row) {
    auto* menu = Find<QMenu>("popMenu");
    Grid()->on_popup_menu = [menu, item](const QPoint&) {
      menu->findChild<QAction*>(item)->trigger();
    };
    QTest::mousePress(Grid()->viewport(), Qt::RightButton, {}, RowPoint(grid_row));
  }
  // The window's close box: true when the window agreed to close.
  bool CloseBox() {
    QCloseEvent event;
    QCoreApplication::sendEvent(form_.get(), &event);
    return event.isAccepted();
  }

  testing::TempDir temp_;
  std::unique_ptr<Platform> platform_;
  MemorySettingsStore* store_ = nullptr;
  testing::FakeResolver* resolver_ = nullptr;
  AppSettings settings_;
  testing::FakeUserInterface ui_;
  std::unique_ptr<QuilletForm> form_;
};

TEST_F(QuilletFormTest, load_fillsTheWindowInOrder) {
  QuilletForm& form = Open();
  EXPECT_EQ(form.windowTitle().toStdString(), "Quillet            your public IP: 10.9.8.7");
  // The list came after the proxy fields: the browser's current proxy row is selected.
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.1.12:8888");
  EXPECT_EQ(form.list().Selection().bottom, 2);
  EXPECT_EQ(settings_.PingTimeoutMs, 900);
  EXPECT_TRUE(ui_.messages.empty());
  form.show();
  ExpectNamed(&form);
  for (const char* name : {"chkJava", "lblJava", "Option1_3", "sOldProxy_3"})
    EXPECT_EQ(Find<QWidget>(name)->isVisible(), kBrowserDesktop) << name;
}

// The list is read before the window is shown; the browser's row (40 of 60) is scrolled into view
// and every click acts on the row drawn under the pointer.
TEST_F(QuilletFormTest, browserRowFarDown_isShownAndClicksHitTheRowUnderThePointer) {
  {
    std::ofstream out(settings_.ListFile, std::ios::binary);
    for (int row = 1; row <= 60; ++row)
      out << (row == 40 ? "127.0.1.12" : "127.0.2." + std::to_string(row)) << ":8888\r\n";
  }
  Open().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  EXPECT_TRUE(Grid()->viewport()->rect().contains(RowPoint(40))) << "the browser's row is seen";
  EXPECT_EQ(form_->list().FirstVisibleRow(), ProxyTableModel::GridRow(Grid()->rowAt(0)));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(41));
  EXPECT_EQ(form_->list().Selection().top, 41);
  QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(41));
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.2.41:8888");
  Choose("popDelete", 41);
  EXPECT_EQ(form_->list().Text(41, kColServerIp), "     127.0.2.42:8888") << "row 41 went";
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
  EXPECT_EQ(list.Selection().top * 100 + list.Selection().bottom,
            selected.top * 100 + selected.bottom)
      << "the selection stays";
  EXPECT_TRUE(settings_.ListDirty);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, kAddNewBusyMessage);
  EXPECT_EQ(ui_.messages[1].text,
            "Port number missing in bad.example\r\n"
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
TEST_F(QuilletFormTest, verifyRun_showsProgressLevelsReasonsAndASummary) {
  auto answer = [](std::string reply) {
    return [reply](testing::Socket fd, const std::atomic<bool>&) { testing::SendAll(fd, reply); };
  };
  testing::LoopbackServer elite("127.0.4.1", answer("HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR x"));
  testing::LoopbackServer forbidden("127.0.4.2", answer("HTTP/1.0 403 Forbidden\r\n\r\n"));
  testing::LoopbackServer stalls("127.0.4.4", [](testing::Socket, const std::atomic<bool>& stop) {
    testing::Pause(5000, stop);
  });
  std::ofstream(settings_.ListFile, std::ios::binary)
      << elite.proxy() << "\r\n"
      << forbidden.proxy() << "\r\n127.0.4.3:" << testing::ClosedPort("127.0.4.3") << "\r\n"
      << stalls.proxy() << "\r\n";
  store_->values = {{"TestURL", "127.0.0.2/judge"},
                    {"PingMethod", "tcp"},
                    {"SearchText", "REMOTE_ADDR"},
                    {"FindIP", "10.9.8.7"}};
  Open().show();
  auto* bar = Find<QWidget>("pbVerify");
  auto* stop = Find<QPushButton>("bStop");
  auto run = [&](int first, int last) {
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, RowPoint(first));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(last));
    Choose("popVerify", last);
    EXPECT_TRUE(bar->isVisible() && stop->isVisible());
  };
  auto cell = [this](int row, int col, int role = Qt::DisplayRole) {
    QModelIndex index = Grid()->model()->index(ProxyTableModel::ModelRow(row), col);
    return Grid()->model()->data(index, role).toString().toStdString();
  };
  run(1, 3);
  for (int turn = 0; turn < 1000 && settings_.Verifying; ++turn) QTest::qWait(10);
  EXPECT_FALSE(bar->isVisible() || stop->isVisible());
  EXPECT_EQ(Find<QLabel>("lblListStatus")->text().toStdString(),
            "List file: list.txt (unsaved changes)    3 checked: 1 work, 1 elite");
  EXPECT_EQ(cell(1, kColSecure) + ", " + cell(1, kColSecure, Qt::ToolTipRole),
            "elite, Secure Y, anonymity: elite");
  EXPECT_EQ(cell(1, kColPing, Qt::ToolTipRole),
            "Ping: TCP connect time to the proxy's port, in ms");
  EXPECT_EQ(cell(2, kColStatus, Qt::ToolTipRole), "The proxy answered with HTTP status 403");
  EXPECT_EQ(cell(3, kColComment, Qt::ToolTipRole),
            "Refused: nothing accepts connections on the proxy's port");
  run(4, 4);
  QTest::mouseClick(stop, Qt::LeftButton);
  for (int turn = 0; turn < 100 && settings_.Verifying; ++turn) QTest::qWait(10);
  EXPECT_FALSE(settings_.Verifying) << "Stop ends the run without a question";
  EXPECT_EQ(ui_.messages.size(), 0u);
  EXPECT_EQ(cell(4, kColStatus), "");
}

TEST_F(QuilletFormTest, withoutBrowserSettings_onlyTheListPartShows) {
  settings_.NoIE = true;
  Open();
  form_->show();
  for (const char* name :
       {"cboConn", "chkProxy", "sOldProxy_0", "txtBypass", "bApply", "lblJava"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isVisible()) << name;
  }
  for (const char* name :
       {"MSFlexGrid1", "bSaveList", "bExit", "bSettings", "lblBrask", "lblNotIE"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isVisible()) << name;
  }
  EXPECT_EQ(Find<QLabel>("lblNotIE")
                ->text()
                .toStdString()
                .rfind("Quillet found no desktop proxy settings", 0),
            0u);
  EXPECT_EQ(form_->list().Rows(), 4);
}

TEST_F(QuilletFormTest, closeBox_withUnsavedChanges_followsTheAnswer) {
  const std::string original = ListText();
  Open();
  settings_.ListDirty = true;
  ui_.message_answers = {MessageAnswer::Cancel, MessageAnswer::No};
  EXPECT_FALSE(CloseBox());
  EXPECT_EQ(ui_.last_message(), "Do you want to save your list changes?");
  EXPECT_TRUE(CloseBox());
  EXPECT_EQ(ListText(), original);
  EXPECT_TRUE(store_->save_order.empty());  // the close box saves no setting
  EXPECT_TRUE(fs::exists(testing::DesktopSandbox::ConfigHome() + "/Brasklet/QuilletWindow.ini"))
      << "the window's size is kept in the test's own folder";
}

TEST_F(QuilletFormTest, cancelButton_savesTheTestPageAndListFileUnlessCancelled) {
  Open();
  settings_.ListDirty = true;
  ui_.message_answers = {MessageAnswer::Cancel, MessageAnswer::No};
  Find<QPushButton>("bExit")->click();
  EXPECT_TRUE(store_->save_order.empty());
  Find<QPushButton>("bExit")->click();
  EXPECT_EQ(store_->save_order, (std::vector<std::string>{"TestURL", "ListFile"}));
  EXPECT_TRUE(CloseBox());  // the program is ending: no second prompt
  EXPECT_EQ(ui_.messages.size(), 2u);
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
  auto* shell = new testing::RecordingShell;  // owned by the platform
  platform_->shell.reset(shell);
  Open().show();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(Find<QLabel>("lblFirstRun")->isVisible());
  EXPECT_EQ(ReadFileBytes(settings_.ListFile).find("127."), std::string::npos) << "no test set-up";
  QAbstractItemModel* model = Find<ListGridView>("MSFlexGrid1")->model();
  auto colour = [model](int row, int role) {
    return model->index(row - 1, kColComment).data(role).value<QColor>();
  };
  EXPECT_LT(colour(7, Qt::BackgroundRole).lightness(), 100) << "a failed row";
  EXPECT_GT(colour(7, Qt::ForegroundRole).lightness(), 150);
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
  const std::string path = testing::DesktopSandbox::ConfigHome() + "/kioslaverc";
  const std::string kde =
      "# mine\n[Proxy Settings]\nProxyType=1\nhttpProxy=http://127.0.1.12 8888\nstray line\n"
      "[Other][$i]\nx=1";
  testing::WriteTextFile(path, kde);
  setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
  platform_->connection_proxy =
      ChooseDesktopProxy(testing::DesktopSandbox::DataHome() + "/quillet").component;
  unsetenv("XDG_CURRENT_DESKTOP");
  Open();
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.1.12:8888");
  EXPECT_EQ(testing::ReadTextFile(path), kde);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
  auto* restore = Find<QPushButton>("bRestore");
  EXPECT_FALSE(restore->isEnabled());

  Find<QPushButton>("bApply")->click();  // what was read, applied again: kioslaverc stays
  EXPECT_EQ(testing::ReadTextFile(path), kde);
  Find<QLineEdit>("sOldProxy_0")->setText("127.0.1.13:8888");
  Find<QPushButton>("bApply")->click();
  EXPECT_NE(
      testing::ReadTextFile(path).find("\nhttpProxy=http://127.0.1.13 8888\nhttpsProxy=http://"
                                       "127.0.1.13 8888\nftpProxy=http://127.0.1.13 8888\n"
                                       "stray line\n"),
      std::string::npos);
  EXPECT_NE(ui_.last_message().find("On KDE Plasma these programs follow"), std::string::npos);
  ASSERT_TRUE(restore->isEnabled());
  QTest::mouseClick(restore, Qt::LeftButton);
  EXPECT_EQ(testing::ReadTextFile(path), kde);
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text().toStdString(), "127.0.1.12:8888");
  EXPECT_FALSE(restore->isEnabled());
}

TEST(QuSettingsDialog, showsStoredTimeoutsWholeAndReportsAStoreThatCannotWrite) {
  testing::OffscreenApp();
  MemorySettingsStore store;
  testing::FakeUserInterface ui;
  AppSettings settings;
  settings.PingTimeoutMs = 10000;
  SettingsDialogModel model({store, settings, ui, "/", [](std::string&) {}});
  QuSettings dialog(model, {});
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
  EXPECT_EQ(dialog.findChild<QLineEdit*>("txtPing")->text(), "10000");
  timeout->clear();
  QTest::keyClicks(timeout, "123456");
  EXPECT_EQ(timeout->text(), "1234") << "what is typed is limited";
  dialog.findChild<QComboBox*>("cboURLs")->setEditText("judge.example:99999/");
  dialog.findChild<QPushButton*>("bCheckJudge")->click();
  EXPECT_EQ(dialog.findChild<QLabel*>("lblJudge")->text(),
            "This test page cannot be used: the port must be a number from 1 to 65535.");
  store.refuse_writes = true;
  dialog.findChild<QPushButton*>("bSave")->click();
  EXPECT_EQ(ui.last_message().rfind("Function: F10\r\nError: 57\r\n", 0), 0u);
  EXPECT_NE(dialog.result(), QDialog::Accepted) << "the dialog stays open";
  store.refuse_writes = false;
  auto* ping_by = dialog.findChild<QComboBox*>("cboPingMethod");
  EXPECT_EQ(ping_by->currentText(), "ICMP echo");
  ping_by->setCurrentIndex(ping_by->findData("tcp"));
  dialog.findChild<QPushButton*>("bSave")->click();
  EXPECT_EQ(store.values["PingMethod"], "tcp");
  EXPECT_EQ(settings.PingMethod, "tcp");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(store.values["ping"], "10000");
  EXPECT_EQ(store.values["TestTimeout"], "1234");
}

}  // namespace
}  // namespace quillet
