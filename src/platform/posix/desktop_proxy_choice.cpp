#include "platform/posix/desktop_proxy_choice.h"

#include <glib.h>

#include "app/startup.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/kioslaverc_connection_proxy.h"

namespace quillet {
namespace {

std::string Env(const char* name) {
  const char* value = g_getenv(name);
  return value ? value : "";
}

std::string OtherDesktopNotice(const std::string& name) {
  std::string desktop = name.empty() ? "This desktop" : name;
  return desktop +
         " has no proxy setting of its own that Quillet can write, so Quillet wrote the proxy "
         "into GNOME's desktop settings. Chromium, Google Chrome, Firefox (with \"Use system "
         "proxy settings\") and programs built on GNOME's libraries follow them. The desktop's "
         "own programs, and programs that read only their own settings or the http_proxy "
         "environment variable, do not.";
}

}  // namespace

DesktopProxyChoice ChooseDesktopProxy() {
  std::string name;
  DesktopFamily family = DesktopFamilyOf(Env("XDG_CURRENT_DESKTOP"), Env("XDG_SESSION_DESKTOP"),
                                         Env("DESKTOP_SESSION"), name);
  DesktopProxyChoice choice;
  if (family == DesktopFamily::Kde) {
    choice.component =
        std::make_unique<KioslavercConnectionProxy>(KioslavercConnectionProxy::DefaultPath());
    choice.available = true;
    return choice;
  }
  choice.available = GnomeProxySchemaInstalled();
  std::string notice = family == DesktopFamily::Gnome ? "" : OtherDesktopNotice(name);
  choice.component = std::make_unique<GSettingsConnectionProxy>(notice);
  return choice;
}

std::string DesktopBrowserInfo::MissingReason() const {
  return "Quillet found no desktop proxy settings to write here: the session names neither a "
         "GNOME-family desktop nor KDE Plasma (XDG_CURRENT_DESKTOP), and GNOME's proxy settings "
         "(the gsettings-desktop-schemas package), which browsers such as Chromium follow on other "
         "desktops, are not installed.\r\nYou can still use Quillet to keep and check lists of "
         "proxy servers, and set the proxy in each program by hand.";
}

std::optional<ClientVersion> DesktopBrowserInfo::Version() {
  if (!available_) return std::nullopt;
  return ClientVersion{1, 2};
}

}  // namespace quillet
