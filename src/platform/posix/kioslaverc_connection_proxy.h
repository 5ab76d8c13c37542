#pragma once
// KDE Plasma's proxy settings as the connection-options component: group [Proxy Settings] of
// kioslaverc in the user's configuration folder, read and written with GKeyFile so that every
// other group and key stays as it was, saved atomically; after a write the running KDE programs
// are told over D-Bus to read their proxy settings again.
#include <string>

#include "browser/connection_proxy.h"

namespace quillet {

class KioslavercConnectionProxy : public ConnectionProxyComponent {
 public:
  // A file that cannot be read is moved aside here; OpenProblem() says so.
  explicit KioslavercConnectionProxy(std::string path);
  static std::string DefaultPath();

  // Flags 1 is ProxyType 0 (no proxy), 2 ProxyType 1 (manual); servers are written as KDE's
  // own dialog writes them ("http://host port", the SOCKS server "socks://host port" or empty)
  // and the bypass list is not reversed; the bypass list goes into NoProxyFor separated by ",".
  // Every write is read back; failures throw.
  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override;
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override;
  void CheckValues(const std::string& server, const std::string& bypass) override;
  std::string OpenProblem() const override { return problem_; }

 private:
  std::string path_;
  std::string problem_;
};

// Tells running KDE programs to read their proxy settings again (a signal on the session bus;
// nothing happens when there is no session bus).
void SignalKdeProxyChange();

}  // namespace quillet
