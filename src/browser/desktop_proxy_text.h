#pragma once
// The proxy settings of a Linux desktop as the main window's texts: the servers per protocol
// (HTTP, HTTPS, FTP and SOCKS; a desktop has no Gopher setting) and the bypass list in the
// desktop's own host forms. Shared by the desktop adapters; no desktop is called from here.
#include <array>
#include <string>
#include <vector>

namespace quillet {

inline constexpr int kDefaultProxyPort = 80;    // a server written without a port
inline constexpr int kDefaultSocksPort = 1080;  // a SOCKS server written without a port
inline constexpr std::array<const char*, 4> kDesktopProtocols = {"http", "https", "ftp", "socks"};
inline constexpr size_t kDesktopSocks = 3;  // the SOCKS server's index
// What "<local>" stands for in a desktop's bypass list.
inline constexpr std::array<const char*, 3> kDesktopLocalHosts = {"localhost", "127.0.0.0/8",
                                                                  "::1"};

struct DesktopServer {
  std::string host;  // empty: no server for this protocol
  int port = 0;
  std::string user = "";  // from "user:pass@host:port"; empty: none
  std::string password = "";
  bool operator==(const DesktopServer&) const = default;
};
using DesktopServerList = std::array<DesktopServer, kDesktopProtocols.size()>;

// The servers of a ProxyString for http, https, ftp and socks (each may carry a user name and
// password as user:pass@host:port); the bare form gives the first three
// and no SOCKS server. A server without a port gets port 80, a SOCKS server 1080. Throws
// RunTimeError naming a server whose port is not a number from 1 to 65535, or text that is not
// valid UTF-8.
DesktopServerList DesktopServers(const std::string& proxy_string);

// The ProxyString the main window shows for the desktop's servers: the bare form when the first
// three are the same server and there is no SOCKS server, else one entry per protocol that has a
// server.
std::string ProxyStringOf(const DesktopServerList& servers);

// The bypass list as desktop host patterns: "192.168.*" becomes "192.168.0.0/16", "*.example"
// and plain names, addresses and ranges stay, "<local>" becomes the three local hosts. Throws
// RunTimeError naming every entry the desktop cannot express, or text that is not valid UTF-8.
std::vector<std::string> DesktopBypassHosts(const std::string& bypass_list);

// The bypass list the user typed, back from the desktop's host patterns.
std::string BypassListOf(const std::vector<std::string>& hosts);

}  // namespace quillet
