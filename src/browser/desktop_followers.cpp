#include "browser/desktop_followers.h"

#include <algorithm>

#include "browser/desktop_proxy_text.h"

namespace quillet {
namespace {

std::optional<ProxyTarget> TargetRead(const FollowerRow& row, DesktopFamily family) {
  if (family == DesktopFamily::Gnome) return row.gnome;
  return family == DesktopFamily::Kde ? row.kde : row.other;
}

std::string DesktopTitle(const ApplyReport& report) {
  if (report.family == DesktopFamily::Gnome) return "GNOME";
  if (report.family == DesktopFamily::Kde) return "KDE Plasma";
  return report.desktop_name.empty() ? "this desktop" : report.desktop_name;
}

std::string ServerText(const DesktopServer& server) {
  return server.host + ":" + std::to_string(server.port);
}

// What became of the user names and passwords in the servers written: GNOME keeps one for the
// HTTP proxy; KDE, Chromium's switch and every desktop's SOCKS setting have no place for them.
std::string CredentialsNote(const ApplyReport& report) {
  DesktopServerList servers;
  try {
    servers = DesktopServers(report.proxy_string);
  } catch (const RunTimeError&) {
    return "";
  }
  bool http = !servers[0].user.empty();
  bool others = std::any_of(
      servers.begin() + 1, servers.begin() + kDesktopSocks,
      [&](const DesktopServer& server) { return !server.user.empty() && !(server == servers[0]); });
  std::string note;
  std::vector<ProxyTarget> written = TargetsWritten(report.family);
  auto reached = [&](ProxyTarget target) {
    return std::find(written.begin(), written.end(), target) != written.end() &&
           !report.failures.count(target);
  };
  if (http && reached(ProxyTarget::GSettings)) {
    note += "\nThe HTTP proxy's user name and password are in GNOME's settings.";
  }
  if ((http || others) && reached(ProxyTarget::Kioslaverc)) {
    note +=
        "\nKDE's proxy settings have no place for a user name and password: KDE programs "
        "will ask for them.";
  }
  if (others) {
    note +=
        "\nThe desktop keeps a user name and password for the HTTP proxy only, not for "
        "HTTPS or FTP.";
  }
  if (!servers[kDesktopSocks].user.empty()) {
    note +=
        "\nThe desktop's SOCKS setting has no place for a user name and password: they were "
        "not written.";
  }
  return note;
}

// Whether the proxy string names a SOCKS server and no other.
bool SocksAlone(const std::string& proxy_string) {
  try {
    DesktopServerList servers = DesktopServers(proxy_string);
    return !servers[kDesktopSocks].host.empty() &&
           std::all_of(servers.begin(), servers.begin() + kDesktopSocks,
                       [](const DesktopServer& server) { return server.host.empty(); });
  } catch (const RunTimeError&) {
    return false;
  }
}

}  // namespace

std::vector<ProxyTarget> TargetsWritten(DesktopFamily family) {
  std::vector<ProxyTarget> targets;
  for (const FollowerRow& row : kFollowers) {
    std::optional<ProxyTarget> target = TargetRead(row, family);
    if (target && std::find(targets.begin(), targets.end(), *target) == targets.end()) {
      targets.push_back(*target);
    }
  }
  return targets;
}

std::string ChromiumSwitch(const std::string& proxy_string) {
  DesktopServerList servers;
  try {
    servers = DesktopServers(proxy_string);
  } catch (const RunTimeError&) {
    return "";
  }
  std::string rules;
  if (!servers[0].host.empty() && servers[1] == servers[0] && servers[2] == servers[0] &&
      servers[kDesktopSocks].host.empty()) {
    rules = ServerText(servers[0]);
  } else {
    for (size_t i = 0; i < servers.size(); ++i) {
      if (servers[i].host.empty()) continue;
      std::string scheme = i == kDesktopSocks ? "socks5://" : "";
      rules += std::string(rules.empty() ? "" : ";") + kDesktopProtocols[i] + "=" + scheme +
               ServerText(servers[i]);
    }
  }
  return rules.empty() ? "" : "chromium --proxy-server=\"" + rules + "\"";
}

FollowersNotice NoticeAfterApply(const ApplyReport& report) {
  FollowersNotice notice;
  std::string desktop = DesktopTitle(report);
  std::string follow, others;
  bool socks_alone = report.proxy_on && SocksAlone(report.proxy_string);
  for (const FollowerRow& row : kFollowers) {
    std::optional<ProxyTarget> target = TargetRead(row, report.family);
    auto failed = target ? report.failures.find(*target) : report.failures.end();
    bool written = target && failed == report.failures.end();
    if (written && !(socks_alone && row.socks_alone)) {
      follow += (follow.empty() ? "" : ", ") + std::string(row.program);
      continue;
    }
    others += std::string("\n") + row.program + " does not: ";
    if (written) {
      others += row.socks_alone;
      continue;
    }
    if (target) {
      others += failed->second;
      notice.warning = true;
      continue;
    }
    others += "it reads no desktop proxy setting on " + desktop + ".";
    std::string line = report.proxy_on ? ChromiumSwitch(report.proxy_string) : "";
    if (line.empty()) {
      others += " Started without --proxy-server, it goes direct.";
    } else {
      others += " Start it as\n" + line + "\n(this line is on the clipboard).";
      notice.clipboard = line;
    }
  }
  notice.text =
      follow.empty()
          ? "On " + desktop + " no program follows the new proxy settings."
          : "On " + desktop + " these programs follow the new proxy settings: " + follow + ".";
  notice.text += others;
  if (report.proxy_on) notice.text += CredentialsNote(report);
  return notice;
}

}  // namespace quillet
