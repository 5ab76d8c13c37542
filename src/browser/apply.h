#pragma once
// Apply: writes the main window's proxy area into the browser's settings of the chosen
// connection, then lets the browser take them as the apply mode says.
#include <cstdint>
#include <string>

#include "app/proxy_fields.h"
#include "app/user_interface.h"
#include "browser/connection_proxy.h"
#include "browser/launch.h"

namespace quillet {

// The proxy server text: the bare form host:port, or "http=..;https=..;ftp=..;gopher=..;".
// A SOCKS server always gives the per-protocol form, with only the filled fields' entries and
// "socks=..;" last.
std::string BuildProxyString(const ProxyFields& fields);

// The bypass list: the bypass box (trimmed, less one trailing ";", both written back into
// `fields`), ";" and "<local>" when local addresses bypass the proxy.
std::string BuildBypassList(ProxyFields& fields);

// 1 (direct) when the proxy is off or there is no proxy server, else 2.
int32_t ProxyFlags(CheckState proxy, const std::string& proxy_string);

// Writes the server and, with the proxy on, a non-empty bypass list. `fields` shows the
// bypass box as written.
void WriteProxySettings(ConnectionProxyComponent& component, ProxyFields& fields);

// How the browser is made to take the new settings after they are written.
class BrowserPickup {
 public:
  virtual ~BrowserPickup() = default;
  // The address the browser opens after Apply in this apply mode, or empty text when no
  // browser needs to be started. `test_page` is the address of the test page.
  virtual std::string StartAddress(int apply_mode, const std::string& test_page) const = 0;
  // Waits for the browser window opened at `address` and closes it, letting window events run.
  virtual void CloseStartedBrowser(const std::string& address, UserInterface& ui) = 0;
};

struct ApplyServices {
  ConnectionProxyComponent& component;
  BrowserPickup& browser;
  Shell& shell;
  UserInterface& ui;
};

// Apply modes: 0 apply only, 1 apply and exit, 2 apply, leave the browser open and exit.
enum class ApplyOutcome { Stay, Exit, Failed };

// The Apply command. Stay: the caller turns Cancel into Exit. Failed: the failure was reported.
ApplyOutcome ApplyProxySettings(ProxyFieldsView& view, const ApplyServices& services,
                                int apply_mode, const std::string& test_page);

// Puts back the desktop's proxy settings from before Quillet first changed them: empty text when
// they are back, else the reason in one line.
std::string RestorePreviousSettings(ConnectionProxyComponent& component);

}  // namespace quillet
