// The whole main window offscreen, over the real Linux adapters in temporary folders, with the
// user, the settings store, the name service and the proxy settings scripted.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "browser/posix/desktop_sandbox.h"
#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_connection_proxy.h"
#include "fakes/memory_settings_store.h"
#include "fakes/offscreen_app.h"
#include "fakes/temp_dir.h"
#include "platform/posix/desktop_proxy_choice.h"
#include "proxylist/atomic_file.h"
#include "ui/qu_settings.h"
#include "ui/quillet_form.h"

namespace quillet {
namespace {

using testing::MemorySettingsStore;
namespace fs = std::filesystem;

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
       {"MSFlexGrid1", "bSaveList", "bExit", "bSettings", "lblBrask", "lblNotIE", "chkJava"}) {
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
  auto* timeout = dialog.findChild<QLineEdit*>("txtTimeout");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("txtPing")->text(), "10000");
  timeout->clear();
  QTest::keyClicks(timeout, "123456");
  EXPECT_EQ(timeout->text(), "1234") << "what is typed is limited";
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
