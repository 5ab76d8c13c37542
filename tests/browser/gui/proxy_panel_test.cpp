#include "ui/proxy_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "fakes/fake_browser_pickup.h"
#include "fakes/fake_user_interface.h"
#include "fakes/listed_phonebook.h"
#include "fakes/memory_connection_proxy.h"
#include "fakes/offscreen_app.h"

namespace quillet {
namespace {

class ProxyPanelTest : public ::testing::Test {
 protected:
  template <class T>
  T* Find(const char* name) {
    return panel.findChild<T*>(name);
  }

  QApplication& app = testing::OffscreenApp();  // before any widget
  testing::MemoryConnectionProxy component;
  testing::IndicatorPickup browser;
  testing::RecordingShell shell;
  testing::ListedPhonebook phonebook;
  testing::FakeUserInterface ui;
  AppSettings settings;
  ProxyPanel panel{{component, browser, shell, phonebook, ui, settings}};
};

TEST_F(ProxyPanelTest, LoadReadsEachConnectionAndApplyWritesAndTellsWhetherToExit) {
  component.Put("", "h:1", 2, "a.example;<local>");
  component.Put("Dial", "http=d:1;ftp=f:2;socks=k:1080;", 1);
  phonebook.names = {"Dial"};
  panel.Load();
  auto* combo = Find<QComboBox>("cboConn");
  EXPECT_EQ(combo->currentText() + "|" + combo->itemText(1), "LAN (default)|Dial");
  EXPECT_TRUE(Find<QCheckBox>("chkSame")->isChecked() && Find<QCheckBox>("chkBypass")->isChecked());

  combo->setCurrentIndex(1);
  emit combo->activated(1);
  EXPECT_FALSE(Find<QCheckBox>("chkProxy")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_2")->text() + Find<QLineEdit>("sOldProxy_4")->text(),
            "f:2k:1080");

  QSignalSpy applied(&panel, &ProxyPanel::applied);
  Find<QCheckBox>("chkProxy")->setChecked(true);
  Find<QLineEdit>("txtBypass")->setText(" a.example; ");
  Find<QPushButton>("bApply")->click();
  ASSERT_FALSE(component.writes.empty());
  EXPECT_EQ(component.writes[0].value, "http=d:1;ftp=f:2;socks=k:1080;");
  EXPECT_EQ(Find<QLineEdit>("txtBypass")->text(), "a.example");  // the trimmed list is shown
  settings.ApplyButton = 1;
  Find<QPushButton>("bApply")->click();
  ASSERT_EQ(applied.count(), 2);
  EXPECT_TRUE(!applied[0][0].toBool() && applied[1][0].toBool());
}

}  // namespace
}  // namespace quillet
