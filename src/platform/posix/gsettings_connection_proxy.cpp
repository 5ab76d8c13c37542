#include "platform/posix/gsettings_connection_proxy.h"

#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "core/text.h"
#include "platform/posix/gsettings_browser_info.h"

namespace quillet {
namespace {

constexpr std::array<const char*, 3> kProtocols = {"http", "https", "ftp"};
constexpr std::array<const char*, 3> kLocalHosts = {"localhost", "127.0.0.0/8", "::1"};
constexpr const char* kLocal = "<local>";

struct Unref {
  void operator()(GSettings* settings) const { g_object_unref(settings); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

Settings OpenProxySettings() {
  // Opening a schema that is not installed would end the process.
  if (!GnomeProxySchemaInstalled()) {
    throw RunTimeError(kErrFileNotFound, std::string("The desktop's proxy settings (") +
                                             kGnomeProxySchema + ") are not installed.");
  }
  return Settings(g_settings_new(kGnomeProxySchema));
}

struct Server {
  std::string host;
  int port = 0;
};

Server ParseServer(const std::string& text) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos) return {text, 0};
  long long port = LeadingWholeNumber(text.substr(colon + 1));
  return {text.substr(0, colon), port > 0 && port <= 65535 ? static_cast<int>(port) : 0};
}

std::string ServerText(const Server& server) {
  if (server.host.empty()) return "";  // the desktop keeps a default port without a host
  return server.port > 0 ? server.host + ":" + std::to_string(server.port) : server.host;
}

Server ReadServer(GSettings* proxy, const char* protocol) {
  Settings child(g_settings_get_child(proxy, protocol));
  gchar* host = g_settings_get_string(child.get(), "host");
  Server server{host, g_settings_get_int(child.get(), "port")};
  g_free(host);
  return server;
}

void WriteServer(GSettings* proxy, const char* protocol, const Server& server) {
  Settings child(g_settings_get_child(proxy, protocol));
  g_settings_set_string(child.get(), "host", server.host.c_str());
  g_settings_set_int(child.get(), "port", server.port);
}

// The servers per protocol of a ProxyString; `same` for the bare form.
std::array<Server, 3> ParseProxyString(const std::string& text, bool& same) {
  std::array<Server, 3> servers;
  same = !text.empty() && text.find('=') == std::string::npos;
  if (same) {
    servers.fill(ParseServer(Trim(text)));
    return servers;
  }
  for (const std::string& entry : Split(text, ";")) {
    std::string name = Trim(Before(entry, "="));
    for (size_t i = 0; i < kProtocols.size(); ++i) {
      if (EqualsNoCase(name, kProtocols[i])) servers[i] = ParseServer(Trim(After(entry, "=")));
    }
  }
  return servers;
}

std::string ReadProxyString(GSettings* proxy) {
  Server http = ReadServer(proxy, "http");
  if (g_settings_get_boolean(proxy, "use-same-proxy")) return ServerText(http);
  std::string text;
  for (const char* protocol : kProtocols) {
    Server server = ReadServer(proxy, protocol);
    if (!server.host.empty()) text += std::string(protocol) + "=" + ServerText(server) + ";";
  }
  return text;
}

std::vector<std::string> IgnoreHosts(const std::string& bypass) {
  std::vector<std::string> hosts;
  for (const std::string& raw : Split(bypass, ";")) {
    std::string entry = Trim(raw);
    if (entry.empty()) continue;
    if (EqualsNoCase(entry, kLocal)) {
      hosts.insert(hosts.end(), kLocalHosts.begin(), kLocalHosts.end());
    } else {
      hosts.push_back(entry);
    }
  }
  return hosts;
}

std::string BypassList(GSettings* proxy) {
  gchar** hosts = g_settings_get_strv(proxy, "ignore-hosts");
  std::vector<std::string> entries;
  for (gchar** host = hosts; *host; ++host) entries.emplace_back(*host);
  g_strfreev(hosts);
  auto listed = [&](const char* host) {
    return std::find(entries.begin(), entries.end(), host) != entries.end();
  };
  bool local = std::all_of(kLocalHosts.begin(), kLocalHosts.end(), listed);
  std::string list;
  for (const std::string& entry : entries) {
    bool is_local = std::find(kLocalHosts.begin(), kLocalHosts.end(), entry) != kLocalHosts.end();
    if (local && is_local) continue;
    list += (list.empty() ? "" : ";") + entry;
  }
  if (local) list += list.empty() ? kLocal : std::string(";") + kLocal;
  return list;
}

}  // namespace

void GSettingsConnectionProxy::SetConnectionOption(int32_t option, const std::string&,
                                                   const std::string& value, int32_t flags) {
  Settings proxy = OpenProxySettings();
  g_settings_delay(proxy.get());
  if (option == kProxyOptionServer) {
    bool same = false;
    std::array<Server, 3> servers = ParseProxyString(value, same);
    for (size_t i = 0; i < kProtocols.size(); ++i)
      WriteServer(proxy.get(), kProtocols[i], servers[i]);
    g_settings_set_boolean(proxy.get(), "use-same-proxy", same);
    g_settings_set_string(proxy.get(), "mode", flags == kProxyFlagsDirect ? "none" : "manual");
  } else if (option == kProxyOptionBypass) {
    std::vector<std::string> hosts = IgnoreHosts(value);
    std::vector<const gchar*> list;
    for (const std::string& host : hosts) list.push_back(host.c_str());
    list.push_back(nullptr);
    g_settings_set_strv(proxy.get(), "ignore-hosts", list.data());
  }
  g_settings_apply(proxy.get());
  g_settings_sync();
}

void GSettingsConnectionProxy::GetConnectionOption(int32_t option, const std::string&,
                                                   std::string& value, int32_t& flags) {
  Settings proxy = OpenProxySettings();
  value.clear();
  flags = kProxyFlagsDirect;
  if (option == kProxyOptionServer) {
    gchar* mode = g_settings_get_string(proxy.get(), "mode");
    flags = std::string(mode) == "none" ? kProxyFlagsDirect : kProxyFlagsManual;
    g_free(mode);
    value = ReadProxyString(proxy.get());
  } else if (option == kProxyOptionBypass) {
    value = BypassList(proxy.get());
  }
}

}  // namespace quillet
