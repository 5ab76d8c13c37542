#include "platform/posix/gsettings_connection_proxy.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "browser/desktop_proxy_text.h"
#include "core/errors.h"
#include "platform/posix/gsettings_browser_info.h"

namespace quillet {
namespace {

struct Unref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

[[noreturn]] void Fail(const std::string& reason) {
  throw RunTimeError(kErrPermission, "The desktop's proxy settings were not written: " + reason);
}

Settings OpenProxySettings(GSettingsBackend* backend) {
  // Opening a schema that is not installed would end the process.
  if (!GnomeProxySchemaInstalled()) {
    throw RunTimeError(kErrFileNotFound, std::string("The desktop's proxy settings (") +
                                             kGnomeProxySchema + ") are not installed.");
  }
  if (backend) return Settings(g_settings_new_with_backend(kGnomeProxySchema, backend));
  return Settings(g_settings_new(kGnomeProxySchema));
}

Settings Child(GSettings* proxy, const char* name) {
  return Settings(g_settings_get_child(proxy, name));
}

// Settings on GSettings' memory backend reach no other program.
void RequireLastingBackend(GSettings* proxy) {
  GSettingsBackend* backend = nullptr;
  g_object_get(proxy, "backend", &backend, nullptr);
  bool memory = backend && std::string(G_OBJECT_TYPE_NAME(backend)) == "GMemorySettingsBackend";
  if (backend) g_object_unref(backend);
  if (memory) {
    Fail(
        "GSettings keeps them in memory only here (GSETTINGS_BACKEND=memory), so no other "
        "program would see them.");
  }
}

// Where the desktop keeps the HTTP proxy's user name and password (it has no such place for
// the other protocols).
constexpr const char* kAuthenticationKeys[] = {"use-authentication", "authentication-user",
                                               "authentication-password"};

void RequireWritable(GSettings* settings, const char* key, const std::string& name) {
  if (!g_settings_is_writable(settings, key)) Fail("'" + name + "' is locked (not writable).");
}

// Every key that writing `option` touches must be writable before anything is written.
void RequireWritableKeys(GSettings* proxy, int32_t option) {
  if (option == kProxyOptionBypass) return RequireWritable(proxy, "ignore-hosts", "ignore-hosts");
  RequireWritable(proxy, "mode", "mode");
  RequireWritable(proxy, "use-same-proxy", "use-same-proxy");
  for (const char* child : kDesktopProtocols) {
    Settings settings = Child(proxy, child);
    RequireWritable(settings.get(), "host", std::string(child) + " host");
    RequireWritable(settings.get(), "port", std::string(child) + " port");
  }
  Settings http = Child(proxy, "http");
  for (const char* key : kAuthenticationKeys)
    RequireWritable(http.get(), key, "http " + std::string(key));
}

void Check(gboolean done, const std::string& key) {
  if (!done) Fail("the desktop refused the value of '" + key + "'.");
}

std::string ReadString(GSettings* settings, const char* key) {
  gchar* text = g_settings_get_string(settings, key);
  std::string value = text ? text : "";
  g_free(text);
  return value;
}

DesktopServer ReadServer(GSettings* proxy, const char* protocol) {
  Settings child = Child(proxy, protocol);
  DesktopServer server{ReadString(child.get(), "host"), g_settings_get_int(child.get(), "port")};
  if (std::string(protocol) == "http" &&
      g_settings_get_boolean(child.get(), "use-authentication")) {
    server.user = ReadString(child.get(), "authentication-user");
    server.password = ReadString(child.get(), "authentication-password");
  }
  return server;
}

// The HTTP proxy's user name and password; a server without them turns the desktop's use of
// them off, so that no other proxy is sent the ones it had.
void WriteAuthentication(GSettings* proxy, const DesktopServer& http) {
  Settings child = Child(proxy, "http");
  bool use = !http.user.empty() || !http.password.empty();
  if (!use && !g_settings_get_boolean(child.get(), "use-authentication")) return;
  Check(g_settings_set_boolean(child.get(), "use-authentication", use), "http use-authentication");
  Check(g_settings_set_string(child.get(), "authentication-user", http.user.c_str()),
        "http authentication-user");
  Check(g_settings_set_string(child.get(), "authentication-password", http.password.c_str()),
        "http authentication-password");
}

void WriteServer(GSettings* proxy, const char* protocol, const DesktopServer& server) {
  Settings child = Child(proxy, protocol);
  Check(g_settings_set_string(child.get(), "host", server.host.c_str()), protocol);
  Check(g_settings_set_int(child.get(), "port", server.port), protocol);
}

DesktopServerList ReadServers(GSettings* proxy) {
  DesktopServerList servers;
  for (size_t i = 0; i < servers.size(); ++i) servers[i] = ReadServer(proxy, kDesktopProtocols[i]);
  // With use-same-proxy the HTTP server serves the protocols that have none of their own; a
  // SOCKS server is always its own.
  // The HTTP proxy's user name and password go with it to the protocols it serves.
  if (g_settings_get_boolean(proxy, "use-same-proxy")) {
    for (size_t i = 1; i < kDesktopSocks; ++i) {
      bool same = servers[i].host == servers[0].host && servers[i].port == servers[0].port;
      if (servers[i].host.empty() || same) servers[i] = servers[0];
    }
  }
  return servers;
}

std::vector<std::string> ReadHosts(GSettings* proxy) {
  gchar** hosts = g_settings_get_strv(proxy, "ignore-hosts");
  std::vector<std::string> entries;
  for (gchar** host = hosts; *host; ++host) entries.emplace_back(*host);
  g_strfreev(hosts);
  return entries;
}

std::string ModeFor(int32_t flags) {
  return flags == kProxyFlagsDirect ? "none" : "manual";
}

// Read-back goes through a fresh object on the same backend, as another program would read.
Settings Reopen(GSettings* proxy) {
  GSettingsBackend* backend = nullptr;
  g_object_get(proxy, "backend", &backend, nullptr);
  Settings fresh = OpenProxySettings(backend);
  if (backend) g_object_unref(backend);
  return fresh;
}

void WriteServers(GSettings* proxy, const std::string& value, int32_t flags) {
  DesktopServerList servers = DesktopServers(value);
  bool same = servers[1] == servers[0] && servers[2] == servers[0] && !servers[0].host.empty();
  for (size_t i = 0; i < servers.size(); ++i) WriteServer(proxy, kDesktopProtocols[i], servers[i]);
  WriteAuthentication(proxy, servers[0]);
  Check(g_settings_set_boolean(proxy, "use-same-proxy", same), "use-same-proxy");
  Check(g_settings_set_string(proxy, "mode", ModeFor(flags).c_str()), "mode");
  g_settings_apply(proxy);
  g_settings_sync();

  Settings fresh = Reopen(proxy);
  for (size_t i = 0; i < servers.size(); ++i) {
    // The desktop keeps a user name and password for HTTP only.
    DesktopServer wanted = servers[i];
    if (i > 0) wanted.user = wanted.password = "";
    if (!(ReadServer(fresh.get(), kDesktopProtocols[i]) == wanted)) {
      Fail(std::string("the ") + kDesktopProtocols[i] + " server did not take.");
    }
  }
  if (ReadString(fresh.get(), "mode") != ModeFor(flags)) Fail("the mode did not take.");
}

void WriteHosts(GSettings* proxy, const std::string& value) {
  std::vector<std::string> hosts = DesktopBypassHosts(value);
  std::vector<const gchar*> list;
  for (const std::string& host : hosts) list.push_back(host.c_str());
  list.push_back(nullptr);
  Check(g_settings_set_strv(proxy, "ignore-hosts", list.data()), "ignore-hosts");
  g_settings_apply(proxy);
  g_settings_sync();
  Settings fresh = Reopen(proxy);
  if (ReadHosts(fresh.get()) != hosts) Fail("the bypass list did not take.");
}

// Every key Quillet writes, as "key" of the proxy settings or "child/key".
std::vector<std::string> KeptKeys() {
  std::vector<std::string> keys = {"mode", "use-same-proxy", "ignore-hosts"};
  for (const char* child : kDesktopProtocols) {
    keys.push_back(std::string(child) + "/host");
    keys.push_back(std::string(child) + "/port");
  }
  for (const char* key : kAuthenticationKeys) keys.push_back(std::string("http/") + key);
  return keys;
}

// The settings object and key name that "child/key" stands for.
std::pair<Settings, std::string> Locate(GSettings* proxy, const std::string& name) {
  size_t slash = name.find('/');
  if (slash == std::string::npos) return {Settings(G_SETTINGS(g_object_ref(proxy))), name};
  return {Child(proxy, name.substr(0, slash).c_str()), name.substr(slash + 1)};
}

std::optional<std::string> UserValue(GSettings* settings, const std::string& key) {
  GVariant* value = g_settings_get_user_value(settings, key.c_str());
  if (!value) return std::nullopt;
  gchar* text = g_variant_print(value, FALSE);
  std::string printed = text;
  g_free(text);
  g_variant_unref(value);
  return printed;
}

void PutValue(GSettings* settings, const std::string& key, const std::optional<std::string>& text) {
  if (!text) return g_settings_reset(settings, key.c_str());
  GVariant* now = g_settings_get_value(settings, key.c_str());
  GVariant* value =
      g_variant_parse(g_variant_get_type(now), text->c_str(), nullptr, nullptr, nullptr);
  g_variant_unref(now);
  if (!value) Fail("the kept value of '" + key + "' is not readable.");
  Check(g_settings_set_value(settings, key.c_str(), value), key);
}

}  // namespace

KeptValues GSettingsConnectionProxy::Keep() {
  Settings proxy = OpenProxySettings(backend_);
  KeptValues values;
  for (const std::string& name : KeptKeys()) {
    auto [settings, key] = Locate(proxy.get(), name);
    values[name] = UserValue(settings.get(), key);
  }
  return values;
}

void GSettingsConnectionProxy::PutBack(const KeptValues& values) {
  Settings proxy = OpenProxySettings(backend_);
  RequireLastingBackend(proxy.get());
  for (const auto& [name, text] : values) {
    auto [settings, key] = Locate(proxy.get(), name);
    RequireWritable(settings.get(), key.c_str(), name);
    PutValue(settings.get(), key, text);
  }
  g_settings_sync();
  Settings fresh = Reopen(proxy.get());
  for (const auto& [name, text] : values) {
    auto [settings, key] = Locate(fresh.get(), name);
    if (UserValue(settings.get(), key) != text) Fail("'" + name + "' did not take.");
  }
}

GSettingsConnectionProxy::GSettingsConnectionProxy(GSettingsBackend* backend)
    : backend_(backend ? G_SETTINGS_BACKEND(g_object_ref(backend)) : nullptr) {}

GSettingsConnectionProxy::~GSettingsConnectionProxy() {
  if (backend_) g_object_unref(backend_);
}

void GSettingsConnectionProxy::CheckValues(const std::string& server, int32_t,
                                           const std::string& bypass) {
  DesktopServers(server);
  if (!bypass.empty()) DesktopBypassHosts(bypass);
  Settings proxy = OpenProxySettings(backend_);
  RequireLastingBackend(proxy.get());
  RequireWritableKeys(proxy.get(), kProxyOptionServer);
  if (!bypass.empty()) RequireWritableKeys(proxy.get(), kProxyOptionBypass);
}

void GSettingsConnectionProxy::SetConnectionOption(int32_t option, const std::string&,
                                                   const std::string& value, int32_t flags) {
  if (option != kProxyOptionServer && option != kProxyOptionBypass) return;
  Settings proxy = OpenProxySettings(backend_);
  RequireLastingBackend(proxy.get());
  RequireWritableKeys(proxy.get(), option);
  WriteOrPutBack(*this, [&] {
    g_settings_delay(proxy.get());
    if (option == kProxyOptionServer) {
      WriteServers(proxy.get(), value, flags);
    } else {
      WriteHosts(proxy.get(), value);
    }
  });
}

void GSettingsConnectionProxy::GetConnectionOption(int32_t option, const std::string&,
                                                   std::string& value, int32_t& flags) {
  Settings proxy = OpenProxySettings(backend_);
  value.clear();
  flags = kProxyFlagsDirect;
  if (option == kProxyOptionServer) {
    flags = ReadString(proxy.get(), "mode") == "none" ? kProxyFlagsDirect : kProxyFlagsManual;
    value = ProxyStringOf(ReadServers(proxy.get()));
  } else if (option == kProxyOptionBypass) {
    value = BypassListOf(ReadHosts(proxy.get()));
  }
}

}  // namespace quillet
