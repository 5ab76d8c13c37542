// The watch over the applied proxy in the real window, against real tinyproxy servers on
// loopback and the judge: the user turns it on in the settings dialog and applies a proxy; when
// that proxy dies the desktop's settings (GSettings in the sandbox's key file) move to the best
// verified row, and when every other row is dead too a notification service of the test's own,
// on a private session bus, hears so while the settings stay as they were.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "e2e/real_servers.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/offscreen_app.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/icmp_pinger.h"
#include "ui/quillet_form.h"

namespace quillet::testing {
namespace {

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

TEST(WatchInWindow, switchesToTheBestVerifiedRowThenSaysWhenNoneIsLeft) {
  if (FindProgram("tinyproxy").empty() || FindProgram("dbus-daemon").empty() ||
      !GnomeProxySchemaInstalled() || !IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
    GTEST_SKIP() << "needs tinyproxy, dbus-daemon, GNOME's schemas, ICMP sockets (make test)";
  }
  OffscreenApp();
  TempDir folder;
  PrivateNotifications notifications(folder);
  std::unique_ptr<judge::JudgeServer> judge = StartJudge("127.0.8.1");
  RunningServer applied = StartTinyproxy(folder, "127.0.8.2", "127.0.8.2", "");
  RunningServer fast = StartTinyproxy(folder, "127.0.8.3", "127.0.8.3", "");
  RunningServer slow = StartTinyproxy(folder, "127.0.8.4", "127.0.8.4", "");
  ASSERT_TRUE(judge && applied && fast && slow);
  AppSettings settings;
  settings.ListFile = folder / "list.txt";
  std::ofstream(settings.ListFile) << applied.proxy() << "||||||||\n"
                                   << slow.proxy() << "|||||OK|Y|20|\n"
                                   << fast.proxy() << "|||||OK|N|10|\n";
  std::unique_ptr<Platform> platform = MakePlatform();
  auto store = std::make_unique<MemorySettingsStore>();
  store->values = {{"TestURL", "127.0.8.1:" + std::to_string(judge->port()) + "/"},
                   {"SearchText", "REMOTE_ADDR"},
                   {"TestTimeout", "2"}};
  platform->settings = std::move(store);
  platform->connection_proxy = std::make_unique<GSettingsConnectionProxy>();
  FakeUserInterface ui;
  QuilletForm form(*platform, settings, ui);

  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    auto* watch = dialog->findChild<QLineEdit*>("txtWatch");
    watch->selectAll();
    QTest::keyClicks(watch, "1");
    dialog->findChild<QPushButton*>("bSave")->click();
  });
  form.findChild<QPushButton*>("bSettings")->click();
  EXPECT_EQ(platform->settings->Read("WatchSeconds", ""), "1");
  QTest::keyClicks(form.findChild<QLineEdit*>("sOldProxy_0"),
                   QString::fromStdString(applied.proxy()));
  form.findChild<QCheckBox*>("chkProxy")->click();
  form.findChild<QPushButton*>("bApply")->click();
  ASSERT_EQ(DesktopProxy(), applied.proxy());

  applied.process.reset();
  // Within three periods and the test page's time-out the fastest verified row holds the settings.
  EXPECT_TRUE(QTest::qWaitFor([&] { return DesktopProxy() == fast.proxy(); }, 3 * 1000 + 2000));
  EXPECT_EQ(form.list().Text(1, kColStatus), "--");  // the dead proxy's row says so
  EXPECT_EQ(form.list().Text(3, kColStatus), "OK");  // re-checked before it was applied
  EXPECT_EQ(notifications.Heard(0).rfind("Quillet switched the proxy: " + applied.proxy(), 0), 0u)
      << notifications.Heard(0);
  EXPECT_NE(form.statusBar()->currentMessage().toStdString().find(fast.proxy()), std::string::npos);

  fast.process.reset();
  slow.process.reset();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.Heard(1).empty(); }, 10000));
  EXPECT_EQ(notifications.Heard(1).rfind("Quillet: no working proxy left: " + fast.proxy(), 0), 0u);
  EXPECT_EQ(DesktopProxy(), fast.proxy()) << "never a silent change to direct";
  EXPECT_EQ(form.list().Text(2, kColStatus), "--");
  EXPECT_TRUE(ui.messages.empty()) << ui.last_message();
}

}  // namespace
}  // namespace quillet::testing
