#pragma once
#include "browser/connection_proxy.h"

namespace quillet {

// The proxy options of one connection through WinINet's per-connection options
// (INTERNET_OPTION_PER_CONNECTION_OPTION): option 2 is the proxy server together with the
// connection's flags, option 3 the bypass list. The empty connection name is the local network.
// After every write, running programs are told that the settings changed.
class WinInetConnectionProxy : public ConnectionProxyComponent {
 public:
  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override;
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override;
};

// Which of the two notifications after a write were accepted.
struct SettingsNotice {
  bool settings_changed = false;  // INTERNET_OPTION_SETTINGS_CHANGED
  bool refreshed = false;         // INTERNET_OPTION_REFRESH
};

// Tells WinINet's users that the proxy settings changed, then asks them to reread them. A
// refused notice is not an error.
SettingsNotice NotifyProxySettingsChanged();

}  // namespace quillet
