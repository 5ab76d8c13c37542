#include "platform/posix/desktop_proxy_choice.h"

#include <glib.h>

#include "app/startup.h"
#include "browser/desktop_proxy_settings.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/kioslaverc_connection_proxy.h"

namespace quillet {
namespace {

std::string Env(const char* name) {
  const char* value = g_getenv(name);
  return value ? value : "";
}

}  // namespace

DesktopProxyChoice ChooseDesktopProxy(const std::string& user_data_dir) {
  std::string name;
  DesktopFamily family = DesktopFamilyOf(Env("XDG_CURRENT_DESKTOP"), Env("XDG_SESSION_DESKTOP"),
                                         Env("DESKTOP_SESSION"), name);
  // Nothing is read here: the settings are opened when the proxy fields or Apply need them.
  std::vector<DesktopProxySettings::Target> targets;
  targets.push_back({ProxyTarget::Kioslaverc, std::make_unique<KioslavercConnectionProxy>(
                                                  KioslavercConnectionProxy::DefaultPath())});
  auto gnome = DesktopProxySettings::Target{ProxyTarget::GSettings,
                                            std::make_unique<GSettingsConnectionProxy>()};
  // The proxy fields are read from the desktop's own settings first.
  targets.insert(family == DesktopFamily::Kde ? targets.end() : targets.begin(), std::move(gnome));
  DesktopProxyChoice choice;
  choice.available = family == DesktopFamily::Kde || GnomeProxySchemaInstalled();
  choice.component = std::make_unique<DesktopProxySettings>(
      family, name, std::move(targets), user_data_dir + "/kept-desktop-proxy.txt");
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
