// The whole main window offscreen, over the real Linux adapters in temporary folders, with the
// user, the settings store, the name service and the proxy settings scripted.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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
#include "fakes/memory_connection_proxy.h"
#include "fakes/memory_settings_store.h"
#include "fakes/offscreen_app.h"
#include "fakes/temp_dir.h"
#include "proxylist/atomic_file.h"
#include "ui/list_grid_view.h"
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
  // The window's close box: true when the window agreed to close.
  bool CloseBox() {
    QCloseEvent event;
    QCoreApplication::sendEvent(form_.get(), &event);
    return event.isAccepted();
  }

  testing::TempDir temp_;
  std::unique_ptr<Platform> platform_;
  MemorySettingsStore* store_ = nullptr;
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
  dialog.findChild<QPushButton*>("bSave")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(store.values["ping"], "10000");
  EXPECT_EQ(store.values["TestTimeout"], "1234");
}

}  // namespace
}  // namespace quillet
