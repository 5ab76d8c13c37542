#include "platform/posix/gdbus_notifier.h"

#include <gio/gio.h>

namespace quillet {
namespace {

// A notification service answers at once; one that hangs must not hold the window for long.
constexpr int kReplyTimeoutMs = 1500;

}  // namespace

bool GDBusNotifier::Notify(const std::string& summary, const std::string& body) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!bus) {
    g_clear_error(&error);
    return false;
  }
  GVariantBuilder actions, hints;
  g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
      "org.freedesktop.Notifications", "Notify",
      g_variant_new("(susssasa{sv}i)", "Quillet", 0u, "dialog-information", summary.c_str(),
                    body.c_str(), &actions, &hints, -1),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kReplyTimeoutMs, nullptr, &error);
  g_object_unref(bus);
  if (!reply) {
    g_clear_error(&error);
    return false;
  }
  g_variant_unref(reply);
  return true;
}

}  // namespace quillet
