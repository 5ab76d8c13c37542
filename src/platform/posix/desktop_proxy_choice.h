#pragma once
// The desktop's proxy settings, chosen once at start from the desktop the session names: GNOME's
// settings for the GNOME family, kioslaverc for KDE Plasma, and elsewhere GNOME's settings with
// a plain word on which programs follow them (or none at all when they are not installed).
#include <memory>
#include <string>

#include "app/browser_info.h"
#include "browser/connection_proxy.h"

namespace quillet {

struct DesktopProxyChoice {
  std::unique_ptr<ConnectionProxyComponent> component;
  bool available = false;  // false: no desktop settings that Quillet can write
};

DesktopProxyChoice ChooseDesktopProxy();

// "Browser present" on Linux: the chosen desktop settings exist.
class DesktopBrowserInfo : public BrowserInfo {
 public:
  explicit DesktopBrowserInfo(bool available) : available_(available) {}
  std::optional<ClientVersion> Version() override;
  std::string Cookies(const std::string&) override { return ""; }
  std::string MissingReason() const override;

 private:
  bool available_;
};

}  // namespace quillet
