#include "ui/proxy_panel.h"

#include <gtest/gtest.h>

#include "fakes/offscreen_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <cstring>

#include "fakes/fake_user_interface.h"
#include "fakes/memory_connection_proxy.h"

namespace quillet {
namespace {

struct NoBrowser : BrowserPickup {
  std::string StartAddress(int, const std::string&) const override { return ""; }
  void CloseStartedBrowser(const std::string&, UserInterface&) override {}
};
struct NoShell : Shell {
  int Open(const std::string&, const std::string&, int, bool) override { return 33; }
};
struct TwoEntries : Phonebook {
  long EnumEntries(uint8_t* records, uint32_t& size, uint32_t& entries) override {
    entries = 1;
    if (size < kEntryRecordSize) {
      size = kEntryRecordSize;
      return kPhonebookBufferTooSmall;
    }
    std::memcpy(records + 4, "Dial", 5);
    return 0;
  }
};

class ProxyPanelTest : public ::testing::Test {
 protected:
  template <class T>
  T* Find(const char* name) {
    return panel.findChild<T*>(name);
  }
  QColor Background(int field) {
    return Find<QLineEdit>(("sOldProxy_" + std::to_string(field)).c_str())
        ->palette()
        .color(QPalette::Base);
  }

  QApplication& app = testing::OffscreenApp();  // before any widget
  testing::MemoryConnectionProxy component;
  NoBrowser browser;
  NoShell shell;
  TwoEntries phonebook;
  testing::FakeUserInterface ui;
  AppSettings settings;
  ProxyPanel panel{{component, browser, shell, phonebook, ui, settings}};
};

TEST_F(ProxyPanelTest, LoadShowsTheLocalNetworkAndGreysUnusedFields) {
  component.Put("", "h:1", 2, "a.example;<local>");
  component.Put("Dial", "http=d:1;ftp=f:2;", 1);
  panel.Load();
  auto* combo = Find<QComboBox>("cboConn");
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->currentText(), "LAN (default)");
  EXPECT_EQ(combo->itemText(1), "Dial");
  EXPECT_TRUE(Find<QCheckBox>("chkProxy")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("chkSame")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_0")->text(), "h:1");
  EXPECT_EQ(Find<QLineEdit>("txtBypass")->text(), "a.example;");
  EXPECT_TRUE(Find<QCheckBox>("chkBypass")->isChecked());
  EXPECT_NE(Background(0), Background(1));
  EXPECT_EQ(Background(1), Background(3));

  // Unchecking "all 4" by hand brings the other fields into use.
  Find<QCheckBox>("chkSame")->click();
  EXPECT_EQ(Background(0), Background(1));

  combo->setCurrentIndex(1);
  emit combo->activated(1);
  EXPECT_FALSE(Find<QCheckBox>("chkProxy")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("sOldProxy_2")->text(), "f:2");
  EXPECT_EQ(Background(0), Background(2));

  QKeyEvent typed(QEvent::KeyPress, Qt::Key_L, Qt::NoModifier, "L");
  QApplication::sendEvent(combo, &typed);
  EXPECT_EQ(combo->currentText(), "Dial");
}

TEST_F(ProxyPanelTest, ApplyWritesTheFieldsAndTellsWhetherToExit) {
  panel.Load();
  QSignalSpy applied(&panel, &ProxyPanel::applied);
  Find<QCheckBox>("chkProxy")->setChecked(true);
  Find<QLineEdit>("sOldProxy_0")->setText("h:1");
  Find<QLineEdit>("sOldProxy_2")->setText("f:2");
  Find<QLineEdit>("txtBypass")->setText(" a.example; ");
  Find<QPushButton>("bApply")->click();
  ASSERT_FALSE(component.writes.empty());
  EXPECT_EQ(component.writes[0].value, "http=h:1;ftp=f:2;");
  EXPECT_EQ(Find<QLineEdit>("txtBypass")->text(), "a.example");  // the trimmed list is shown
  ASSERT_EQ(applied.count(), 1);
  EXPECT_FALSE(applied[0][0].toBool());

  settings.ApplyButton = 1;
  Find<QPushButton>("bApply")->click();
  ASSERT_EQ(applied.count(), 2);
  EXPECT_TRUE(applied[1][0].toBool());
}

}  // namespace
}  // namespace quillet
