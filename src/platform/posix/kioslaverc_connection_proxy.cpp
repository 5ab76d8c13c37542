#include "platform/posix/kioslaverc_connection_proxy.h"

#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "browser/desktop_proxy_text.h"
#include "browser/kde_config_text.h"
#include "core/errors.h"
#include "core/text.h"
#include "proxylist/atomic_file.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGroup = "Proxy Settings";
constexpr std::array<const char*, 4> kServerKeys = {"httpProxy", "httpsProxy", "ftpProxy",
                                                    "socksProxy"};
// Every key Quillet writes.
constexpr std::array<const char*, 7> kKeptKeys = {"ProxyType",        "httpProxy",  "httpsProxy",
                                                  "ftpProxy",         "socksProxy", "NoProxyFor",
                                                  "ReversedException"};
constexpr size_t kMostBytes = 4 << 20;

// The file as it is now; a missing file is an empty one. Throws when it cannot be read: the
// file is then left exactly as it is.
std::string ReadText(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return "";
  std::string reason = error ? error.message() : "";
  std::string text;
  if (reason.empty() && status.type() != fs::file_type::regular) reason = "not a regular file";
  if (reason.empty()) {
    try {
      text = ReadFileBytes(path, kMostBytes + 1);
      if (text.size() > kMostBytes) reason = "larger than 4 MiB";
    } catch (const RunTimeError& failure) {
      reason = failure.what();
    }
  }
  if (!reason.empty()) {
    throw RunTimeError(kErrFileIo, "KDE's proxy settings file '" + path + "' could not be read (" +
                                       reason + "); Quillet left it as it is.");
  }
  return text;
}

std::string ValueOf(const KdeGroup& group, const char* key) {
  auto found = group.entries.find(key);
  return found == group.entries.end() ? "" : UnescapeKdeValue(found->second.raw);
}

// "http://host port", "host:port" or "http://host:port/" as a server; without a port the
// protocol's usual one.
DesktopServer ServerOf(std::string text, size_t protocol) {
  text = Trim(text);
  if (size_t scheme = text.find("://"); scheme != std::string::npos) text.erase(0, scheme + 3);
  while (!text.empty() && text.back() == '/') text.pop_back();
  size_t split = text.find_last_of(" :");
  std::string port = split == std::string::npos ? "" : Trim(text.substr(split + 1));
  std::string host = split == std::string::npos ? text : Trim(text.substr(0, split));
  while (!host.empty() && host.back() == '/') host.pop_back();
  if (host.empty()) return {};
  int number = static_cast<int>(LeadingWholeNumber(port));
  if (number == 0) number = protocol == kDesktopSocks ? kDefaultSocksPort : kDefaultProxyPort;
  return {host, number};
}

DesktopServerList ServersOf(const KdeGroup& group) {
  DesktopServerList servers;
  for (size_t i = 0; i < servers.size(); ++i)
    servers[i] = ServerOf(ValueOf(group, kServerKeys[i]), i);
  return servers;
}

int32_t FlagsOf(const KdeGroup& group) {
  std::string type = ValueOf(group, "ProxyType");
  return type.empty() || type == "0" ? kProxyFlagsDirect : kProxyFlagsManual;
}

std::vector<std::string> HostsOf(const KdeGroup& group) {
  std::vector<std::string> hosts;
  for (const std::string& host : Split(ReplaceAll(ValueOf(group, "NoProxyFor"), " ", ","), ",")) {
    if (!host.empty()) hosts.push_back(host);
  }
  return hosts;
}

std::string KdeServerText(const DesktopServer& server, size_t protocol) {
  if (server.host.empty()) return "";
  std::string scheme = protocol == kDesktopSocks ? "socks://" : "http://";
  return scheme + server.host + " " + std::to_string(server.port);
}

void Change(KdeChanges& changes, const KdeGroup& group, const char* key, const std::string& value) {
  auto found = group.entries.find(key);
  if (found == group.entries.end() || UnescapeKdeValue(found->second.raw) != value) {
    changes.emplace_back(key, EscapeKdeValue(value));
  }
}

// Only the keys whose meaning changes: what the window shows of the file, applied again as it
// is, changes nothing.
KdeChanges ServerChanges(const KdeGroup& group, const std::string& value, int32_t flags) {
  DesktopServerList now = ServersOf(group);
  ProxyFields shown;
  ShowServers(ProxyStringOf(now), FlagsOf(group), shown);
  if (value == BuildProxyString(shown) && flags == ProxyFlags(shown.proxy, value)) return {};
  DesktopServerList servers = DesktopServers(value);
  // KDE's proxy settings have no place for a user name and password (Apply's notice says so).
  for (DesktopServer& server : servers) server.user = server.password = "";
  bool none = std::all_of(now.begin(), now.end(), [](auto& server) { return server.host.empty(); });
  if (servers == now && (flags == FlagsOf(group) || none)) return {};
  KdeChanges changes;
  for (size_t i = 0; i < servers.size(); ++i) {
    if (!(ServerOf(ValueOf(group, kServerKeys[i]), i) == servers[i])) {
      changes.emplace_back(kServerKeys[i], EscapeKdeValue(KdeServerText(servers[i], i)));
    }
  }
  // Automatic, script and environment modes would not use the servers written.
  Change(changes, group, "ProxyType", flags == kProxyFlagsDirect ? "0" : "1");
  // A reversed bypass list (only the listed hosts use the proxy) is not Quillet's meaning.
  if (ValueOf(group, "ReversedException") == "true") {
    Change(changes, group, "ReversedException", "false");
  }
  return changes;
}

KdeChanges BypassChanges(const KdeGroup& group, const std::string& value) {
  std::vector<std::string> now = HostsOf(group);
  ProxyFields shown;
  ShowBypass(BypassListOf(now), shown);
  if (value == BuildBypassList(shown)) return {};
  std::vector<std::string> hosts = DesktopBypassHosts(value);
  if (std::set(hosts.begin(), hosts.end()) == std::set(now.begin(), now.end())) return {};
  std::string list;
  for (const std::string& host : hosts) list += (list.empty() ? "" : ",") + host;
  KdeChanges changes;
  Change(changes, group, "NoProxyFor", list);
  return changes;
}

void RequireUnlocked(const KdeGroup& group, const KdeChanges& changes, const std::string& path) {
  for (const auto& [key, raw] : changes) {
    auto found = group.entries.find(key);
    bool locked = found == group.entries.end() ? group.locked : found->second.locked;
    if (locked) {
      throw RunTimeError(kErrPermission, "KDE's proxy setting '" + key + "' is locked ([$i]) in '" +
                                             path + "'; Quillet wrote nothing there.");
    }
  }
}

// KDE's own reading of a key where its tool is installed, else this file's.
std::string ReadBack(const std::string& path, const std::string& text, const std::string& key) {
  for (const char* tool : {"kreadconfig6", "kreadconfig5"}) {
    gchar* program = g_find_program_in_path(tool);
    if (!program) continue;
    const gchar* argv[] = {program, "--file", path.c_str(), "--group",
                           kGroup,  "--key",  key.c_str(),  nullptr};
    gchar* out = nullptr;
    gint status = 0;
    bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_STDERR_TO_DEV_NULL,
                            nullptr, nullptr, &out, nullptr, &status, nullptr) &&
               g_spawn_check_wait_status(status, nullptr);
    std::string value = ran && out ? out : "";
    g_free(out);
    g_free(program);
    if (!ran) continue;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
  return ValueOf(ReadKdeGroup(text, kGroup), key.c_str());
}

void WriteChanges(const std::string& path, const std::string& text, const KdeGroup& group,
                  const KdeChanges& changes) {
  if (changes.empty()) return;
  RequireUnlocked(group, changes, path);
  std::string edited = EditKdeGroup(text, kGroup, changes);
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  try {
    ReplaceFileContent(path, [&](std::ostream& out) { out << edited; });
  } catch (const RunTimeError& failure) {
    throw RunTimeError(kErrFileIo, "KDE's proxy settings file could not be written: " +
                                       std::string(failure.what()));
  }
  for (const auto& [key, raw] : changes) {
    std::string wanted = raw ? UnescapeKdeValue(*raw) : "";
    if (ReadBack(path, ReadText(path), key) != wanted) {
      throw RunTimeError(kErrFileIo,
                         "KDE's proxy setting '" + key + "' did not take in '" + path + "'.");
    }
  }
  SignalKdeProxyChange();
}

}  // namespace

std::string KioslavercConnectionProxy::DefaultPath() {
  return std::string(g_get_user_config_dir()) + "/kioslaverc";
}

void KioslavercConnectionProxy::CheckValues(const std::string& server, int32_t flags,
                                            const std::string& bypass) {
  KdeGroup group = ReadKdeGroup(ReadText(path_), kGroup);
  RequireUnlocked(group, ServerChanges(group, server, flags), path_);
  if (!bypass.empty()) RequireUnlocked(group, BypassChanges(group, bypass), path_);
}

void KioslavercConnectionProxy::SetConnectionOption(int32_t option, const std::string&,
                                                    const std::string& value, int32_t flags) {
  if (option != kProxyOptionServer && option != kProxyOptionBypass) return;
  WriteOrPutBack(*this, [&] {
    std::string text = ReadText(path_);
    KdeGroup group = ReadKdeGroup(text, kGroup);
    WriteChanges(path_, text, group,
                 option == kProxyOptionServer ? ServerChanges(group, value, flags)
                                              : BypassChanges(group, value));
  });
}

void KioslavercConnectionProxy::GetConnectionOption(int32_t option, const std::string&,
                                                    std::string& value, int32_t& flags) {
  KdeGroup group = ReadKdeGroup(ReadText(path_), kGroup);
  value.clear();
  flags = kProxyFlagsDirect;
  if (option == kProxyOptionServer) {
    flags = FlagsOf(group);
    value = ProxyStringOf(ServersOf(group));
  } else if (option == kProxyOptionBypass) {
    value = BypassListOf(HostsOf(group));
  }
}

KeptValues KioslavercConnectionProxy::Keep() {
  KdeGroup group = ReadKdeGroup(ReadText(path_), kGroup);
  KeptValues values;
  for (const char* key : kKeptKeys) {
    auto found = group.entries.find(key);
    values[key] = found == group.entries.end() ? std::nullopt : std::optional(found->second.raw);
  }
  return values;
}

void KioslavercConnectionProxy::PutBack(const KeptValues& values) {
  std::string text = ReadText(path_);
  KdeGroup group = ReadKdeGroup(text, kGroup);
  KdeChanges changes;
  for (const auto& [key, raw] : values) {
    auto found = group.entries.find(key);
    std::optional<std::string> now =
        found == group.entries.end() ? std::nullopt : std::optional(found->second.raw);
    if (now != raw) changes.emplace_back(key, raw);
  }
  WriteChanges(path_, text, group, changes);
}

void SignalKdeProxyChange() {
  // Only a bus that is already there: never start one.
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  bool bus_socket =
      runtime && g_file_test((std::string(runtime) + "/bus").c_str(), G_FILE_TEST_EXISTS);
  if (!g_getenv("DBUS_SESSION_BUS_ADDRESS") && !bus_socket) return;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus) return;
  g_dbus_connection_emit_signal(bus, nullptr, "/KIO/Scheduler", "org.kde.KIO.Scheduler",
                                "reparseSlaveConfiguration", g_variant_new("(s)", ""), nullptr);
  g_dbus_connection_flush_sync(bus, nullptr, nullptr);
  g_object_unref(bus);
}

}  // namespace quillet
