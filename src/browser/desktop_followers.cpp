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
  return notice;
}

}  // namespace quillet
