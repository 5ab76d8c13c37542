// The list panel offscreen: load a file, select rows with the mouse, right-click, run a popup
// command, colour rows in the picker, save.
#include <gtest/gtest.h>

#include "fakes/offscreen_app.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"
#include "proxylist/atomic_file.h"
#include "proxylist/list_commands.h"
#include "ui/list_grid_view.h"
#include "ui/list_panel.h"
#include "ui/proxy_table_model.h"

namespace quillet {
namespace {

struct NoLauncher : DocumentLauncher {
  void LaunchDocument(const std::string&, std::string&, int) override {}
};

// A user whose clipboard cannot be opened, and whose window can turn while the program yields.
struct User : testing::FakeUserInterface {
  bool clipboard_fails = false;
  bool turns_event_loop = false;
  void ProcessPendingEvents() override {
    if (turns_event_loop) QCoreApplication::processEvents();
    FakeUserInterface::ProcessPendingEvents();
  }
  void SetClipboardText(const std::string& text) override {
    if (clipboard_fails) throw std::runtime_error("Can't open clipboard");
    FakeUserInterface::SetClipboardText(text);
  }
};

class ListPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::OffscreenApp();
    settings.ListFile = temp / "list.txt";
    std::ofstream(settings.ListFile, std::ios::binary)
        << "' sample\r\n10.0.0.1:80\r\n\t|b.example.com:81\t|two\t|\t|\t|OK\t|Y\t|5\t|\t\r\n"
           "10.0.0.3:82\r\n10.0.0.4:83\r\n";
    panel = std::make_unique<ListPanel>(ListPanelServices{
        list, settings, ui, resolver, fields, store, temp.path().string(), launcher,
        [](const std::string&) {}, [] { return std::string(); }, [] {}});
    panel->resize(900, 400);
    panel->show();
    panel->LoadList();
    grid = panel->grid();
    // Every change the tests make through the list reaches the view as a well-formed model.
    tester = std::make_unique<QAbstractItemModelTester>(
        grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }

  QPoint RowPoint(int grid_row, int col = kColComment) {
    QModelIndex index = grid->model()->index(ProxyTableModel::ModelRow(grid_row), col);
    return grid->visualRect(index).center();
  }
  bool DrawnSelected(int grid_row, int col) {
    QModelIndex index = grid->model()->index(ProxyTableModel::ModelRow(grid_row), col);
    return grid->model()->data(index, Qt::ForegroundRole).value<QColor>() ==
           QApplication::palette().color(QPalette::HighlightedText);
  }
  QAction* Item(const char* name) { return panel->popupMenu()->findChild<QAction*>(name); }
  // A right-click that chooses the named popup item.
  void Choose(const char* item, QPoint point, QWidget* where = nullptr) {
    grid->on_popup_menu = [this, item](const QPoint&) { Item(item)->trigger(); };
    QTest::mousePress(where ? where : grid->viewport(), Qt::RightButton, {}, point);
  }

  testing::TempDir temp;
  ProxyList list;
  AppSettings settings;
  User ui;
  testing::FakeResolver resolver;
  MemoryProxyFields fields;
  testing::MemorySettingsStore store;
  NoLauncher launcher;
  std::unique_ptr<ListPanel> panel;
  ListGridView* grid = nullptr;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(ListPanelTest, titleRightClickSortsTheColumn) {
  QWidget* header = grid->horizontalHeader()->viewport();
  int x = grid->columnViewportPosition(kColServerIp) + 10;
  Choose("popSortDesc", QPoint(x, 5), header);
  EXPECT_EQ(list.Text(1, kColServerIp), "     10.0.0.4:83");
  EXPECT_EQ(list.Text(4, kColServerIp), "     ") << "the row without an address goes last";
  // A title click right of every column leaves nothing to sort, not the last column.
  Choose("popSortAsc", QPoint(grid->horizontalHeader()->length() + 20, 5), header);
  EXPECT_EQ(list.Text(1, kColServerIp), "     10.0.0.4:83");
}

TEST_F(ListPanelTest, rowCommandsActOnlyOnWhatIsDrawnSelected) {
  // Copy cell and a double-click shrink the selection to one cell, which is drawn selected.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, RowPoint(2));
  Choose("popCopy", RowPoint(2, kColServerName));
  EXPECT_EQ(ui.clipboard, "b.example.com:81");
  EXPECT_TRUE(DrawnSelected(2, kColServerName));
  ui.clipboard_fails = true;  // a failing command is reported, never an abort
  Choose("popCopy", RowPoint(2, kColServerName));
  EXPECT_EQ(ui.last_message(), "Function: F16\r\nError: 51\r\nCan't open clipboard");
  EXPECT_FALSE(DrawnSelected(2, kColComment));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, RowPoint(3, kColServerIp));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, RowPoint(3, kColServerIp));
  EXPECT_TRUE(DrawnSelected(3, kColServerIp));
  EXPECT_FALSE(DrawnSelected(2, kColServerName));
  // A load ends with its last row's cell selected; scrolled out of view it counts as none.
  std::ofstream(settings.ListFile, std::ios::binary)
      << "10.0.0.1:80\r\n10.0.0.2:80\r\n10.0.0.3:80\r\n10.0.0.4:80|||||OK|Y||\r\n";
  int row_height = grid->verticalHeader()->defaultSectionSize();  // two rows and a half
  grid->setFixedHeight(grid->horizontalHeader()->height() + row_height * 5 / 2 +
                       2 * grid->frameWidth());
  QCoreApplication::processEvents();
  panel->LoadList();
  ASSERT_EQ(list.Selection().top, 4);
  ASSERT_FALSE(list.RowIsVisible(4));
  Choose("popDelete", RowPoint(1));
  EXPECT_EQ(ui.last_message(), "Please select one or more lines from the list");
  EXPECT_EQ(list.Rows(), 5);
  // The bottom row, shown in part, can be clicked.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, {10, grid->viewport()->height() - 2});
  EXPECT_EQ(list.Selection().top, 3);
}

TEST_F(ListPanelTest, rowsStayPutWhileAResolveRunHoldsThem) {
  resolver.addresses["b.example.com"] = {"127.0.1.21"};
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, RowPoint(1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(2));
  ui.on_pending_events = {[this] {
    for (const char* item : {"popDelete", "popSortAsc", "popAddNew", "popGetName"})
      Item(item)->trigger();
    panel->findChild<QPushButton*>("bRefresh")->click();
  }};
  Choose("popGetIP", RowPoint(1));
  EXPECT_EQ(list.Rows(), 5);
  EXPECT_EQ(list.Text(2, kColServerIp), "     127.0.1.21:81")
      << "written to the row it was read from";
  EXPECT_EQ(ui.messages.size(), 5u);
  EXPECT_EQ(ui.last_message(), kRowsBusyMessage);
  settings.Verifying = true;
  Item("popDelAllGray")->trigger();
  EXPECT_EQ(list.Rows(), 5);
}

TEST_F(ListPanelTest, aLargeListLoadsWhileTheWindowTurnsAndNoCommandTouchesIt) {
  constexpr int kRows = 200000;
  {
    std::ofstream out(settings.ListFile, std::ios::binary);
    for (int i = 1; i <= kRows; ++i) out << "127.0." << i / 200 << '.' << i % 200 << ":80\r\n";
  }
  const std::string file = ReadFileBytes(settings.ListFile);
  ui.turns_event_loop = true;
  int turns_while_loading = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!settings.Loading || ++turns_while_loading != 2) return;
    panel->findChild<QPushButton*>("bSaveList")->click();  // would write the emptied list
    panel->findChild<QPushButton*>("bRefresh")->click();
    Item("popSortDesc")->trigger();
  });
  timer.start(5);
  panel->LoadList();
  EXPECT_GE(turns_while_loading, 3) << "the window's events were handled during the load";
  EXPECT_FALSE(settings.Loading);
  ASSERT_EQ(list.Rows(), kRows + 1);
  EXPECT_EQ(list.Text(kRows, kColServerIp), "     127.0.1000.0:80");
  EXPECT_EQ(list.Selection().top, kRows) << "the last row is current, as after any load";
  EXPECT_EQ(ReadFileBytes(settings.ListFile), file);
  EXPECT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.last_message(), kListLoadingMessage);
}

TEST_F(ListPanelTest, colourPickerColoursTheSelectedRows) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, RowPoint(1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(2));
  QTimer::singleShot(0, [] {
    QWidget* picker = QApplication::activeModalWidget();
    ASSERT_NE(picker, nullptr);
    QTest::mouseClick(picker->findChild<QPushButton*>("Command1_4"), Qt::LeftButton);
    picker->findChild<QWidget*>("Option2")->setProperty("checked", true);
    QTest::mouseClick(picker->findChild<QPushButton*>("Command1_6"), Qt::LeftButton);
    QTest::mouseClick(picker->findChild<QPushButton*>("bExit"), Qt::LeftButton);
  });
  Choose("popColor", RowPoint(2));
  EXPECT_EQ(list.Text(1, kColCol), "12;14");
  EXPECT_EQ(list.Text(2, kColCol), "12;14");
  EXPECT_EQ(list.Text(3, kColCol), "");
  EXPECT_EQ(list.GetFillMode(), FillMode::Single);
}

}  // namespace
}  // namespace quillet
