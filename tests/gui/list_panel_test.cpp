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
#include "ui/list_grid_view.h"
#include "ui/list_panel.h"
#include "ui/proxy_table_model.h"

namespace quillet {
namespace {

struct NoLauncher : DocumentLauncher {
  void LaunchDocument(const std::string&, std::string&, int) override {}
};

class ListPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::OffscreenApp();
    settings.ListFile = temp / "list.txt";
    std::ofstream(settings.ListFile, std::ios::binary)
        << "' sample\r\n10.0.0.1:80\r\n\t|b.example.com:81\t|two\t|\t|\t|OK\t|Y\t|5\t|\t\r\n"
           "10.0.0.3:82\r\n10.0.0.4:83\r\n";
    panel = std::make_unique<ListPanel>(
        ListPanelServices{list, settings, ui, resolver, fields, store, temp.path().string(),
                          launcher, [this](const std::string& text) { captions.push_back(text); },
                          [] { return std::string("Base"); }, [] {}});
    panel->resize(900, 400);
    panel->show();
    panel->LoadList();
    grid = panel->grid();
  }

  QPoint RowPoint(int grid_row, int col = kColComment) {
    QModelIndex index = grid->model()->index(ProxyTableModel::ModelRow(grid_row), col);
    return grid->visualRect(index).center();
  }
  // A right-click that chooses the named popup item.
  void Choose(const char* item, QPoint point, QWidget* where = nullptr) {
    grid->on_popup_menu = [this, item](const QPoint&) {
      panel->popupMenu()->findChild<QAction*>(item)->trigger();
    };
    QTest::mousePress(where ? where : grid->viewport(), Qt::RightButton, {}, point);
  }

  testing::TempDir temp;
  ProxyList list;
  AppSettings settings;
  testing::FakeUserInterface ui;
  testing::FakeResolver resolver;
  MemoryProxyFields fields;
  testing::MemorySettingsStore store;
  NoLauncher launcher;
  std::vector<std::string> captions;
  std::unique_ptr<ListPanel> panel;
  ListGridView* grid = nullptr;
};

TEST_F(ListPanelTest, showsTheListWithItsTitlesAndPassesTheModelTester) {
  QAbstractItemModelTester tester(grid->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  ASSERT_EQ(grid->model()->rowCount(), 4);
  EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "   Server IP");
  EXPECT_TRUE(grid->isColumnHidden(0));
  EXPECT_EQ(grid->columnWidth(2), 2500 / 15);
  QModelIndex icon = grid->model()->index(1, kColServerIp);
  EXPECT_FALSE(grid->model()->data(icon, Qt::DecorationRole).isNull()) << "pOK for Secure Y";
  // Changes made through the list reach the view, checked by the tester on the way.
  list.SetText(2, kColComment, "changed");
  list.AddRow({});
  list.RemoveRow(5);
  settings.ListFile = temp / "list.txt";
  panel->LoadList();
  EXPECT_EQ(grid->model()->rowCount(), 4);
}

TEST_F(ListPanelTest, selectRightClickDeleteAndSave) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, RowPoint(2));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(3));
  EXPECT_EQ(list.Selection().top, 2);
  EXPECT_EQ(list.Selection().bottom, 3);
  Choose("popDelete", RowPoint(3));
  EXPECT_EQ(settings.SelectedLines.size(), 2u);
  ASSERT_EQ(grid->model()->rowCount(), 2);
  EXPECT_TRUE(settings.ListDirty);
  QTest::mouseClick(panel->findChild<QPushButton*>("bSaveList"), Qt::LeftButton);
  EXPECT_FALSE(settings.ListDirty);
  EXPECT_EQ(ReadFileBytes(settings.ListFile),
            "' sample\r\n\r\n10.0.0.1:80\t|\t|\t|\t|\t|\t|\t|\t|\t\r\n"
            "10.0.0.4:83\t|\t|\t|\t|\t|\t|\t|\t|\t\r\n");
}

TEST_F(ListPanelTest, titleRightClickSortsTheColumn) {
  QWidget* header = grid->horizontalHeader()->viewport();
  int x = grid->columnViewportPosition(kColServerIp) + 10;
  Choose("popSortDesc", QPoint(x, 5), header);
  EXPECT_EQ(list.Text(1, kColServerIp), "     10.0.0.4:83");
  EXPECT_EQ(list.Text(4, kColServerIp), "     ") << "the row without an address goes last";
  EXPECT_TRUE(ui.messages.empty());
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
  QColor shown =
      grid->model()->data(grid->model()->index(0, kColComment), Qt::BackgroundRole).value<QColor>();
  EXPECT_NE(shown, QColor(Qt::white)) << "the coloured, selected row is not plain white";
}

}  // namespace
}  // namespace quillet
