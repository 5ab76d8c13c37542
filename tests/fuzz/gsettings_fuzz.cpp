// Any GNOME proxy settings (on a key file of their own) are read through the real adapter into
// the window's fields and applied again, then new values from the input are applied: each Apply
// is refused with the keys left as they were, or reads back as written.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <cstdlib>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix/gsettings_connection_proxy.h"

using quillet::fuzz::Require;

// The next field of the input as a string GSettings takes.
static std::string Text(std::string& rest) {
  std::string field = quillet::fuzz::TakeField(rest);
  g_autofree gchar* valid = g_utf8_make_valid(field.c_str(), static_cast<gssize>(field.size()));
  return valid;
}

static void ApplyHolds(quillet::GSettingsConnectionProxy& component, quillet::ProxyFields fields) {
  quillet::KeptValues before = component.Keep();
  std::string server = quillet::BuildProxyString(fields);
  try {
    quillet::WriteProxySettings(component, fields);
  } catch (const quillet::RunTimeError&) {
    Require(component.Keep() == before);
    return;
  }
  std::string stored;
  int32_t flags = 0;
  component.GetConnectionOption(quillet::kProxyOptionServer, "", stored, flags);
  quillet::fuzz::RequireSameServers(server, stored);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kModes[] = {"none", "manual", "auto"};
  static GSettingsBackend* backend = g_keyfile_settings_backend_new(
      quillet::fuzz::ScratchFile("proxy.keyfile").c_str(), "/", nullptr);
  static GSettings* proxy = g_settings_new_with_backend("org.gnome.system.proxy", backend);
  std::string rest(reinterpret_cast<const char*>(data), size);
  unsigned first = size ? data[0] : 0;
  g_settings_set_string(proxy, "mode", kModes[first % 3]);
  g_settings_set_boolean(proxy, "use-same-proxy", (first & 4) != 0);
  for (const char* protocol : quillet::kDesktopProtocols) {
    GSettings* child = g_settings_get_child(proxy, protocol);
    g_settings_set_string(child, "host", Text(rest).c_str());
    g_settings_set_int(child, "port",
                       static_cast<int>(std::strtoul(Text(rest).c_str(), nullptr, 10) & 0xFFFF));
    if (protocol == quillet::kDesktopProtocols[0]) {
      g_settings_set_boolean(child, "use-authentication", (first & 8) != 0);
      g_settings_set_string(child, "authentication-user", Text(rest).c_str());
      g_settings_set_string(child, "authentication-password", Text(rest).c_str());
    }
    g_object_unref(child);
  }
  g_auto(GStrv) hosts = g_strsplit(Text(rest).c_str(), ",", 64);
  g_settings_set_strv(proxy, "ignore-hosts", hosts);
  g_settings_sync();

  quillet::GSettingsConnectionProxy component(backend);
  quillet::ProxyFields fields;
  quillet::ReadProxySettings(component, fields);
  ApplyHolds(component, fields);
  fields.proxy = first & 16 ? quillet::CheckState::Checked : quillet::CheckState::Unchecked;
  fields.same = (first & 32) != 0;
  fields.servers = {Text(rest), Text(rest), "", ""};
  fields.socks = Text(rest);
  fields.bypass = rest;
  ApplyHolds(component, fields);
  return 0;
}
