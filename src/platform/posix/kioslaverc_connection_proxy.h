#pragma once
// KDE Plasma's proxy settings: group [Proxy Settings] of kioslaverc in the user's configuration
// folder. The file is KDE's, not Quillet's: it is read only when the proxy fields are filled or
// Apply needs it, never moved or renamed, and an Apply changes only the lines of the keys whose
// meaning changes (a no-op Apply leaves every byte). A key KDE's kiosk locks ("[$i]") is never
// written. What was written is read back through KDE's own kreadconfig6 or kreadconfig5 where
// one is installed, and running KDE programs are told over D-Bus to read their settings again.
#include <string>

#include "browser/desktop_proxy_target.h"

namespace quillet {

class KioslavercConnectionProxy : public DesktopProxyTarget {
 public:
  explicit KioslavercConnectionProxy(std::string path) : path_(std::move(path)) {}
  static std::string DefaultPath();

  // Flags 1 is ProxyType 0 (no proxy), 2 ProxyType 1 (manual); servers are written as KDE's
  // own dialog writes them ("http://host port", the SOCKS server "socks://host port" or empty)
  // and the bypass list is not reversed; the bypass list goes into NoProxyFor separated by ",".
  // Failures (a file that cannot be read, a locked key, a value that did not take) throw.
  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override;
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override;
  void CheckValues(const std::string& server, int32_t flags, const std::string& bypass) override;
  KeptValues Keep() override;
  void PutBack(const KeptValues& values) override;

 private:
  std::string path_;
};

// Tells running KDE programs to read their proxy settings again (a signal on the session bus;
// nothing happens when there is no session bus).
void SignalKdeProxyChange();

}  // namespace quillet
