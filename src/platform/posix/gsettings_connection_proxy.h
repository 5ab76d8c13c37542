#pragma once
// The desktop's proxy settings of the GNOME family (GNOME's org.gnome.system.proxy through
// GSettings) as the connection-options component. The desktop has one proxy setting, so every
// connection name addresses it.
#include <string>

#include "browser/desktop_proxy_target.h"

typedef struct _GSettingsBackend GSettingsBackend;

namespace quillet {

class GSettingsConnectionProxy : public DesktopProxyTarget {
 public:
  // `backend`: where the settings live, null for the session's own (the component keeps a
  // reference). Nothing is read or written until the settings are asked for.
  explicit GSettingsConnectionProxy(GSettingsBackend* backend = nullptr);
  ~GSettingsConnectionProxy() override;
  GSettingsConnectionProxy(const GSettingsConnectionProxy&) = delete;
  GSettingsConnectionProxy& operator=(const GSettingsConnectionProxy&) = delete;

  // The bare form host:port goes into http, https and ftp alike with use-same-proxy set; flags 1
  // is mode 'none', 2 mode 'manual'; the socks= entry goes into the SOCKS server, which is
  // cleared when there is none. Every write is checked: the keys
  // must be writable, each set must succeed and read back after the sync, and settings kept in
  // memory only count as not written. Failures throw RunTimeError with the reason.
  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override;
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override;
  void CheckValues(const std::string& server, int32_t flags, const std::string& bypass) override;
  // The keys as GVariant text; a key left at its default is kept as unset and reset on PutBack.
  KeptValues Keep() override;
  void PutBack(const KeptValues& values) override;

 private:
  GSettingsBackend* backend_;
};

}  // namespace quillet
