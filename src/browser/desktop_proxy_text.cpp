#include "browser/desktop_proxy_text.h"

#include <algorithm>

#include "core/encoding.h"
#include "core/errors.h"
#include "core/text.h"
#include "proxylist/proxy_credentials.h"

namespace quillet {
namespace {

// The desktop's settings hold C strings: a NUL byte would cut the text short.
void RequireUtf8(const std::string& text, const char* what) {
  if (!IsValidUtf8(text) || text.find('\0') != std::string::npos) {
    throw TypingMistake(std::string("The ") + what +
                        " is not valid UTF-8 text; nothing was written.");
  }
}

// A host name has no blank, slash, "#" or "?": each desktop would read such text back as a
// different host (KDE takes "b/" as "b"), or as no server at all.
std::string HostOfServer(const std::string& text, const std::string& host) {
  size_t bad = host.find_first_of(" \t/\\#?");
  if (bad != std::string::npos) {
    throw TypingMistake("The proxy server '" + text + "' has a '" + host[bad] +
                        "' in its host name, which no host name has; nothing was written.");
  }
  return host;
}

DesktopServer ParseHostPort(const std::string& text, int default_port) {
  if (text.empty()) return {};
  size_t colon = text.rfind(':');
  if (colon == std::string::npos) return {HostOfServer(text, text), default_port};
  std::string port = text.substr(colon + 1);
  int number = PortNumber(port);
  if (colon == 0 || number == 0) {
    throw TypingMistake("The proxy server '" + text +
                        "' needs a host and a port from 1 to 65535; "
                        "nothing was written.");
  }
  return {HostOfServer(text, text.substr(0, colon)), number};
}

std::string ServerText(const DesktopServer& server) {
  std::string address =
      server.port > 0 ? server.host + ":" + std::to_string(server.port) : server.host;
  return AddressWithCredentials({server.user, server.password}, address);
}

DesktopServer ReadServerText(const std::string& raw, int default_port) {
  CredentialedAddress split = SplitCredentials(Trim(raw));
  DesktopServer server = ParseHostPort(split.address, default_port);
  server.user = split.credentials.user;
  server.password = split.credentials.password;
  return server;
}

// A server as typed, refused when the desktop would give it back as another one: in
// "@h:1:31" the host "h:1" comes back as the host "h", port 1 and user "31" (also where the
// desktop keeps no user name and password, so it is read back without them).
DesktopServer ParseServer(const std::string& raw, int default_port) {
  DesktopServer server = ReadServerText(raw, default_port);
  if (server.host.empty()) return server;
  DesktopServer read_back = ReadServerText(ServerText({server.host, server.port}), default_port);
  if (read_back.host != server.host || read_back.port != server.port) {
    throw TypingMistake("The proxy server '" + Trim(raw) +
                        "' has a host name with a ':' that "
                        "would be read back as its port; nothing was written.");
  }
  return server;
}

// "192.168.*" as the range "192.168.0.0/16"; empty when the entry is no such address prefix.
std::string RangeOfPrefix(const std::string& entry) {
  std::vector<std::string> parts = Split(entry, ".");
  if (parts.size() < 2 || parts.size() > 4 || parts.back() != "*") return "";
  parts.pop_back();
  for (const std::string& part : parts) {
    if (!AllDigits(part) || part.size() > 3 || std::stoi(part) > 255) return "";
  }
  std::string range;
  for (size_t i = 0; i < 4; ++i) {
    range += (i ? "." : "") + (i < parts.size() ? std::to_string(std::stoi(parts[i])) : "0");
  }
  return range + "/" + std::to_string(8 * parts.size());
}

// The reverse: "10.0.0.0/8" as "10.*"; empty for any other host.
std::string PrefixOfRange(const std::string& host) {
  std::string mask = After(host, "/");
  if (mask != "8" && mask != "16" && mask != "24") return "";
  std::vector<std::string> parts = Split(Before(host, "/"), ".");
  size_t kept = static_cast<size_t>(std::stoi(mask) / 8);
  if (parts.size() != 4) return "";
  for (size_t i = 0; i < 4; ++i) {
    // Only a range written in the plain form reads back as the same range ("foo.0.0.0/8" and
    // "010.0.0.0/8" stay as they are).
    bool plain = !parts[i].empty() && AllDigits(parts[i]) && parts[i].size() <= 3 &&
                 std::stoi(parts[i]) <= 255 && std::to_string(std::stoi(parts[i])) == parts[i];
    if (!plain || (i >= kept && parts[i] != "0")) return "";
  }
  parts.resize(kept);
  std::string prefix;
  for (const std::string& part : parts) prefix += part + ".";
  return prefix + "*";
}

bool IsLocalHost(const std::string& host) {
  return std::find(kDesktopLocalHosts.begin(), kDesktopLocalHosts.end(), host) !=
         kDesktopLocalHosts.end();
}

}  // namespace

DesktopServerList DesktopServers(const std::string& proxy_string) {
  RequireUtf8(proxy_string, "proxy server text");
  DesktopServerList servers;
  if (!proxy_string.empty() && proxy_string.find('=') == std::string::npos) {
    DesktopServer all = ParseServer(proxy_string, kDefaultProxyPort);
    std::fill(servers.begin(), servers.begin() + kDesktopSocks, all);
    return servers;
  }
  for (const std::string& entry : Split(proxy_string, ";")) {
    std::string name = Trim(Before(entry, "="));
    for (size_t i = 0; i < kDesktopProtocols.size(); ++i) {
      int port = i == kDesktopSocks ? kDefaultSocksPort : kDefaultProxyPort;
      if (EqualsNoCase(name, kDesktopProtocols[i]))
        servers[i] = ParseServer(After(entry, "="), port);
    }
  }
  return servers;
}

std::string ProxyStringOf(const DesktopServerList& servers) {
  if (!servers[0].host.empty() && servers[1] == servers[0] && servers[2] == servers[0] &&
      servers[kDesktopSocks].host.empty()) {
    return ServerText(servers[0]);
  }
  std::string text;
  for (size_t i = 0; i < servers.size(); ++i) {
    if (!servers[i].host.empty())
      text += std::string(kDesktopProtocols[i]) + "=" + ServerText(servers[i]) + ";";
  }
  return text;
}

std::vector<std::string> DesktopBypassHosts(const std::string& bypass_list) {
  RequireUtf8(bypass_list, "bypass list");
  std::vector<std::string> hosts;
  std::vector<std::string> refused;
  for (const std::string& raw : Split(bypass_list, ";")) {
    std::string entry = Trim(raw);
    if (entry.empty()) continue;
    if (EqualsNoCase(entry, "<local>")) {
      hosts.insert(hosts.end(), kDesktopLocalHosts.begin(), kDesktopLocalHosts.end());
    } else if (entry.find_first_of(", \t\r\n") != std::string::npos) {
      refused.push_back(entry);
    } else if (entry.find('*') == std::string::npos) {
      hosts.push_back(entry);
    } else if (entry.size() > 2 && entry.compare(0, 2, "*.") == 0 &&
               entry.find('*', 1) == std::string::npos) {
      hosts.push_back(entry);
    } else if (std::string range = RangeOfPrefix(entry); !range.empty()) {
      hosts.push_back(range);
    } else {
      refused.push_back(entry);
    }
  }
  if (!refused.empty()) {
    std::string names;
    for (const std::string& entry : refused) names += (names.empty() ? "'" : ", '") + entry + "'";
    throw TypingMistake("The desktop cannot express these bypass entries: " + names +
                        ". Nothing was written.");
  }
  return hosts;
}

std::string BypassListOf(const std::vector<std::string>& hosts) {
  bool local = std::all_of(kDesktopLocalHosts.begin(), kDesktopLocalHosts.end(), [&](auto host) {
    return std::find(hosts.begin(), hosts.end(), host) != hosts.end();
  });
  std::string list;
  for (const std::string& host : hosts) {
    if (local && IsLocalHost(host)) continue;
    std::string prefix = PrefixOfRange(host);
    list += (list.empty() ? "" : ";") + (prefix.empty() ? host : prefix);
  }
  if (local) list += list.empty() ? "<local>" : ";<local>";
  return list;
}

}  // namespace quillet
