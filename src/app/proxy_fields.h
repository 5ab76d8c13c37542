#pragma once
// The proxy area of the main window as plain data: the connection, the "Enable Proxy" and
// "all 4" check boxes, the four proxy fields (0 HTTP, 1 HTTPS, 2 FTP, 3 Gopher) and the SOCKS
// field, the protocol chosen for a double-click on the list (0 to 3, or 4 for SOCKS), and the
// bypass box with its "local" check box.
#include <array>
#include <string>

namespace quillet {

enum class CheckState { Unchecked, Checked, Grey };

inline constexpr const char* kLanConnection = "LAN (default)";
inline constexpr int kSocksProtocol = 4;  // the option button that chooses the SOCKS field

struct ProxyFields {
  std::string connection = kLanConnection;
  CheckState proxy = CheckState::Unchecked;
  bool same = false;
  std::array<std::string, 4> servers;
  std::string socks;  // a SOCKS server; empty leaves every setting as the four fields give it
  int protocol = 0;
  std::string bypass;
  bool bypass_local = false;
};

// Where the proxy area lives: the main window's controls, or plain memory in tests.
class ProxyFieldsView {
 public:
  virtual ~ProxyFieldsView() = default;
  virtual ProxyFields Fields() const = 0;
  virtual void SetFields(const ProxyFields& fields) = 0;
};

class MemoryProxyFields : public ProxyFieldsView {
 public:
  ProxyFields fields;
  ProxyFields Fields() const override { return fields; }
  void SetFields(const ProxyFields& value) override { fields = value; }
};

}  // namespace quillet
