#pragma once
// The desktop's proxy settings for the desktop the session names: GNOME's settings everywhere
// they are installed and KDE's kioslaverc on KDE Plasma as well (desktop_followers.h says who
// reads which). The settings that the desktop had before Quillet first changed them are kept
// in `user_data_dir`.
#include <memory>
#include <string>

#include "app/browser_info.h"
#include "browser/connection_proxy.h"

namespace quillet {

struct DesktopProxyChoice {
  std::unique_ptr<ConnectionProxyComponent> component;
  bool available = false;  // false: no desktop settings that Quillet can write
};

DesktopProxyChoice ChooseDesktopProxy(const std::string& user_data_dir);

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
