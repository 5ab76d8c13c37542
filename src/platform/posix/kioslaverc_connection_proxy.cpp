#include "platform/posix/kioslaverc_connection_proxy.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>

#include "browser/desktop_proxy_text.h"
#include "core/errors.h"
#include "core/text.h"
#include "platform/posix/keyfile_settings_store.h"

namespace quillet {
namespace {

constexpr const char* kGroup = "Proxy Settings";
constexpr std::array<const char*, 4> kServerKeys = {"httpProxy", "httpsProxy", "ftpProxy",
                                                    "socksProxy"};

struct FreeKeyFile {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, FreeKeyFile>;

std::string TakeMessage(GError* error) {
  std::string message = error ? error->message : "unknown error";
  if (error) g_error_free(error);
  return message;
}

// The file as it is now; a missing file is an empty one. Throws when it cannot be read.
KeyFile LoadFile(const std::string& path) {
  KeyFile file(g_key_file_new());
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return file;
  std::string reason;
  auto flags = GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
  if (!LoadKeyFile(file.get(), path, flags, reason)) {
    throw RunTimeError(
        kErrFileIo, "KDE's proxy settings file '" + path + "' could not be read (" + reason + ").");
  }
  return file;
}

std::string Read(GKeyFile* file, const char* key) {
  gchar* text = g_key_file_get_string(file, kGroup, key, nullptr);
  std::string value = text ? text : "";
  g_free(text);
  return value;
}

// "http://host port", "host:port" or "http://host:port/" as a server.
DesktopServer ServerOf(std::string text) {
  text = Trim(text);
  if (size_t scheme = text.find("://"); scheme != std::string::npos) text.erase(0, scheme + 3);
  size_t split = text.find_last_of(" :");
  std::string port = split == std::string::npos ? "" : Trim(text.substr(split + 1));
  if (!port.empty() && port.back() == '/') port.pop_back();
  std::string host = split == std::string::npos ? text : Trim(text.substr(0, split));
  if (!host.empty() && host.back() == '/') host.pop_back();
  return {host, static_cast<int>(LeadingWholeNumber(port))};
}

std::string KdeServerText(const DesktopServer& server, size_t protocol) {
  if (server.host.empty()) return "";
  std::string scheme = protocol == kDesktopSocks ? "socks://" : "http://";
  return scheme + server.host + " " + std::to_string(server.port);
}

std::map<std::string, std::string> ServerValues(const std::string& value, int32_t flags) {
  DesktopServerList servers = DesktopServers(value);
  // A reversed bypass list (only the listed hosts use the proxy) is not Quillet's meaning.
  std::map<std::string, std::string> values{{"ProxyType", flags == kProxyFlagsDirect ? "0" : "1"},
                                            {"ReversedException", "false"}};
  for (size_t i = 0; i < servers.size(); ++i) values[kServerKeys[i]] = KdeServerText(servers[i], i);
  return values;
}

std::map<std::string, std::string> BypassValues(const std::string& value) {
  std::string list;
  for (const std::string& host : DesktopBypassHosts(value))
    list += (list.empty() ? "" : ",") + host;
  return {{"NoProxyFor", list}};
}

}  // namespace

KioslavercConnectionProxy::KioslavercConnectionProxy(std::string path) : path_(std::move(path)) {
  try {
    LoadFile(path_);
  } catch (const RunTimeError& failure) {
    std::string kept = path_ + ".unreadable-" + std::to_string(std::time(nullptr));
    bool moved = g_rename(path_.c_str(), kept.c_str()) == 0;
    problem_ = std::string(failure.what()) + " Quillet starts from empty proxy settings.";
    problem_ += moved ? " The unreadable file was kept as '" + kept + "'."
                      : " The unreadable file could not be moved aside and will be replaced.";
  }
}

std::string KioslavercConnectionProxy::DefaultPath() {
  return std::string(g_get_user_config_dir()) + "/kioslaverc";
}

void KioslavercConnectionProxy::CheckValues(const std::string& server, const std::string& bypass) {
  ServerValues(server, kProxyFlagsManual);
  if (!bypass.empty()) BypassValues(bypass);
  LoadFile(path_);
}

void KioslavercConnectionProxy::SetConnectionOption(int32_t option, const std::string&,
                                                    const std::string& value, int32_t flags) {
  if (option != kProxyOptionServer && option != kProxyOptionBypass) return;
  auto values = option == kProxyOptionServer ? ServerValues(value, flags) : BypassValues(value);
  KeyFile file = LoadFile(path_);
  for (const auto& [key, text] : values) {
    g_key_file_set_string(file.get(), kGroup, key.c_str(), text.c_str());
  }
  gchar* folder = g_path_get_dirname(path_.c_str());
  g_mkdir_with_parents(folder, 0700);
  g_free(folder);
  GError* error = nullptr;
  if (!g_key_file_save_to_file(file.get(), path_.c_str(), &error)) {
    throw RunTimeError(kErrFileIo, "KDE's proxy settings file '" + path_ +
                                       "' could not be written (" + TakeMessage(error) + ").");
  }
  KeyFile written = LoadFile(path_);
  for (const auto& [key, text] : values) {
    if (Read(written.get(), key.c_str()) != text) {
      throw RunTimeError(kErrFileIo,
                         "KDE's proxy setting '" + key + "' did not take in '" + path_ + "'.");
    }
  }
  SignalKdeProxyChange();
}

void KioslavercConnectionProxy::GetConnectionOption(int32_t option, const std::string&,
                                                    std::string& value, int32_t& flags) {
  KeyFile file = LoadFile(path_);
  value.clear();
  flags = kProxyFlagsDirect;
  if (option == kProxyOptionServer) {
    std::string type = Read(file.get(), "ProxyType");
    flags = type.empty() || type == "0" ? kProxyFlagsDirect : kProxyFlagsManual;
    DesktopServerList servers;
    for (size_t i = 0; i < servers.size(); ++i) {
      servers[i] = ServerOf(Read(file.get(), kServerKeys[i]));
    }
    value = ProxyStringOf(servers);
  } else if (option == kProxyOptionBypass) {
    std::vector<std::string> hosts;
    for (const std::string& host :
         Split(ReplaceAll(Read(file.get(), "NoProxyFor"), " ", ","), ",")) {
      if (!host.empty()) hosts.push_back(host);
    }
    value = BypassListOf(hosts);
  }
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
