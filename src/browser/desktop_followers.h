#pragma once
// Who follows which of a Linux desktop's proxy settings: the one table that Apply's writing and
// the notice after it are made from (measured with Chromium and Firefox ESR, headless, fresh
// profiles: Firefox reads GNOME's settings on every desktop; Chromium reads them on the GNOME
// family, kioslaverc on KDE Plasma and neither elsewhere. Firefox asks a SOCKS server that the
// settings name alone in SOCKS 4a, which SOCKS 5 servers do not answer).
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "browser/connection_proxy.h"

namespace quillet {

enum class ProxyTarget { GSettings, Kioslaverc };

struct FollowerRow {
  const char* program;
  // What the program reads on the GNOME family, on KDE Plasma and on any other desktop.
  std::optional<ProxyTarget> gnome, kde, other;
  // Why the program reaches nothing when the settings name only a SOCKS server; null: it follows.
  const char* socks_alone = nullptr;
};

inline constexpr std::array<FollowerRow, 2> kFollowers = {{
    {"Firefox", ProxyTarget::GSettings, ProxyTarget::GSettings, ProxyTarget::GSettings,
     "with only a SOCKS server set it asks in SOCKS 4a, which SOCKS 5 servers do not answer."},
    {"Chromium", ProxyTarget::GSettings, ProxyTarget::Kioslaverc, std::nullopt},
}};

// The settings Apply writes on a desktop: each one that some program there reads.
std::vector<ProxyTarget> TargetsWritten(DesktopFamily family);

// What one Apply did.
struct ApplyReport {
  DesktopFamily family = DesktopFamily::Other;
  std::string desktop_name;                     // as the session names it
  std::map<ProxyTarget, std::string> failures;  // settings not written, with the reason
  std::string proxy_string;                     // what was written
  bool proxy_on = false;
};

// Names the programs that follow and, each with its reason, those that do not. Where Chromium
// reads no desktop setting, the notice gives its start switch and puts it on the clipboard.
FollowersNotice NoticeAfterApply(const ApplyReport& report);

// Chromium's command line for a proxy string: chromium --proxy-server="...". Empty for a
// string that names no server.
std::string ChromiumSwitch(const std::string& proxy_string);

}  // namespace quillet
