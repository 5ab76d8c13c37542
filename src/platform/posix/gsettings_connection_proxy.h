#pragma once
// The desktop's proxy settings (GNOME's org.gnome.system.proxy) as the connection-options
// component. The desktop has one proxy setting, so every connection name addresses it.
#include "browser/connection_proxy.h"

namespace quillet {

class GSettingsConnectionProxy : public ConnectionProxyComponent {
 public:
  // The bare form host:port goes into http, https and ftp alike with use-same-proxy set (some
  // browsers read only the per-protocol keys); flags 1 is mode 'none', 2 mode 'manual'. A
  // Gopher server is not kept: the desktop has no such setting. "<local>" in the bypass list
  // stands for localhost, 127.0.0.0/8 and ::1. Throws when the schema is not installed.
  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override;
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override;
};

}  // namespace quillet
