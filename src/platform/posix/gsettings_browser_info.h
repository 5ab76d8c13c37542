#pragma once
#include "app/browser_info.h"

namespace quillet {

inline constexpr const char* kGnomeProxySchema = "org.gnome.system.proxy";

// True when the desktop's proxy settings schema is installed (opening a missing schema would
// abort the process, so every user of the schema asks this first).
bool GnomeProxySchemaInstalled();

// On Linux the "browser" is the desktop's proxy settings: present when its GSettings schema is
// installed, reported as a client version that can take per-connection proxy settings. There is
// no cookie store to ask for an upgrade notice.
class GSettingsBrowserInfo : public BrowserInfo {
 public:
  std::optional<ClientVersion> Version() override;
  std::string Cookies(const std::string&) override { return ""; }
};

}  // namespace quillet
