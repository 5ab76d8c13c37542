// Any desktop proxy settings in GSettings (the memory backend) are read through the real adapter
// into the window's fields and checked and written again: failing only with the adapter's own
// reasons (the memory backend is one), never with a fault.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <cstdlib>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "browser/desktop_proxy_text.h"
#include "core/errors.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix/gsettings_connection_proxy.h"

// The next field of the input as a string GSettings takes.
static std::string Text(std::string& rest) {
  std::string field = quillet::fuzz::TakeField(rest);
  g_autofree gchar* valid = g_utf8_make_valid(field.c_str(), static_cast<gssize>(field.size()));
  return valid;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kModes[] = {"none", "manual", "auto"};
  std::string rest(reinterpret_cast<const char*>(data), size);
  GSettingsBackend* backend = g_memory_settings_backend_new();
  GSettings* proxy = g_settings_new_with_backend("org.gnome.system.proxy", backend);
  unsigned first = size ? data[0] : 0;
  g_settings_set_string(proxy, "mode", kModes[first % 3]);
  g_settings_set_boolean(proxy, "use-same-proxy", (first & 4) != 0);
  for (const char* protocol : quillet::kDesktopProtocols) {
    GSettings* child = g_settings_get_child(proxy, protocol);
    g_settings_set_string(child, "host", Text(rest).c_str());
    g_settings_set_int(child, "port",
                       static_cast<int>(std::strtoul(Text(rest).c_str(), nullptr, 10) & 0xFFFF));
    g_object_unref(child);
  }
  g_auto(GStrv) hosts = g_strsplit(Text(rest).c_str(), ",", 64);
  g_settings_set_strv(proxy, "ignore-hosts", hosts);
  quillet::GSettingsConnectionProxy component("", backend);
  quillet::ProxyFields fields;
  try {
    quillet::ReadProxySettings(component, fields);
    component.CheckValues(quillet::BuildProxyString(fields), quillet::BuildBypassList(fields));
    quillet::WriteProxySettings(component, fields);
  } catch (const quillet::RunTimeError&) {
  }
  g_object_unref(proxy);
  g_object_unref(backend);
  return 0;
}
