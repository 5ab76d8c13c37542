#pragma once
// The machine's own IPv4 address on Linux, from the interfaces (getifaddrs) and the routing
// table (/proc/net/route), never through the host name (which /etc/hosts often maps to
// 127.0.0.1).
#include <string>

namespace quillet {

// The address of the interface that holds the default route; without one, the first address
// of any other interface that is not loopback; only on a machine with nothing but loopback a
// loopback address. Empty when there is no IPv4 address at all.
std::string OwnAddress(const std::string& route_table = "/proc/net/route");

}  // namespace quillet
