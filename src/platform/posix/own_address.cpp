#include "platform/posix/own_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>

#include <fstream>
#include <sstream>

namespace quillet {
namespace {

// The interface of the first default route that is up, or empty text.
std::string DefaultRouteInterface(const std::string& route_table) {
  std::ifstream table(route_table);
  std::string line;
  std::getline(table, line);  // the column names
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, mask;
    unsigned flags = 0;
    int ignored = 0;
    fields >> name >> destination >> gateway >> std::hex >> flags >> std::dec >> ignored >>
        ignored >> ignored >> mask;
    if (fields && destination == "00000000" && mask == "00000000" && (flags & RTF_UP)) return name;
  }
  return "";
}

}  // namespace

std::string OwnAddress(const std::string& route_table) {
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return "";
  std::string route_interface = DefaultRouteInterface(route_table);
  std::string on_route, other, loopback;
  for (ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(entry->ifa_addr);
    if (!inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text)) continue;
    bool is_loopback =
        (entry->ifa_flags & IFF_LOOPBACK) || (ntohl(ipv4->sin_addr.s_addr) >> 24) == 127;
    if (is_loopback) {
      if (loopback.empty()) loopback = text;
    } else if (entry->ifa_name == route_interface && on_route.empty()) {
      on_route = text;
    } else if (other.empty() && (entry->ifa_flags & IFF_UP)) {
      other = text;
    }
  }
  freeifaddrs(interfaces);
  return !on_route.empty() ? on_route : !other.empty() ? other : loopback;
}

}  // namespace quillet
