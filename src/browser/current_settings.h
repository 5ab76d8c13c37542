#pragma once
// Reading the browser's proxy settings of one connection into the main window's proxy area,
// and the field colours that show which proxy fields take effect.
#include <array>
#include <cstdint>
#include <string>

#include "app/proxy_fields.h"
#include "app/user_interface.h"
#include "browser/connection_proxy.h"

namespace quillet {

inline constexpr uint32_t kInactiveFieldColour = 0x80000013;  // inactive caption text
inline constexpr uint32_t kActiveFieldColour = 0x80000005;    // window background

// The component's name of a connection as shown in the list: "LAN..." is the local network.
std::string ConnectionName(const std::string& shown);

// The fields the window shows for a proxy string with its flags, and for a bypass list.
void ShowServers(const std::string& proxy, int32_t flags, ProxyFields& fields);
void ShowBypass(const std::string& bypass, ProxyFields& fields);

// Fills `fields` from the settings of fields.connection, step by step, so that a failure
// leaves what was filled so far.
void ReadProxySettings(ConnectionProxyComponent& component, ProxyFields& fields);

// The same on the window's proxy area; a failure is reported with the routine's tag.
void ReadCurrentSettings(ProxyFieldsView& view, ConnectionProxyComponent& component,
                         UserInterface& ui);

// Background colours of the four proxy fields and the SOCKS field.
std::array<uint32_t, 5> ProxyFieldColours(const ProxyFields& fields);

}  // namespace quillet
