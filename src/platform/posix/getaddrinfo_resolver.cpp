#include "platform/posix/getaddrinfo_resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/own_address.h"

namespace quillet {

SocketStartup GetAddrInfoResolver::Startup() {
  SocketStartup granted;
  granted.max_sockets = int(std::max(1L, sysconf(_SC_OPEN_MAX)));
  return granted;
}

std::optional<std::string> GetAddrInfoResolver::LocalHostName(int& error) {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) {
    error = errno;
    return std::nullopt;
  }
  error = 0;
  return std::string(name);
}

std::optional<std::vector<std::string>> GetAddrInfoResolver::HostAddresses(
    const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
  // The local host's own name: the address of its network, not what the name maps to.
  int error = 0;
  if (name == LocalHostName(error).value_or("")) {
    if (std::string own = OwnAddress(); !own.empty()) return std::vector<std::string>{own};
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address instead of one per socket type
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  std::vector<std::string> addresses;
  for (addrinfo* entry = found; entry; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(entry->ai_addr);
    if (!inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text)) continue;
    if (std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
      addresses.emplace_back(text);
    }
  }
  freeaddrinfo(found);
  if (addresses.empty()) return std::nullopt;
  return addresses;
}

std::optional<std::string> GetAddrInfoResolver::HostName(const std::string& address) {
  sockaddr_in ipv4{};
  ipv4.sin_family = AF_INET;
  if (inet_pton(AF_INET, address.c_str(), &ipv4.sin_addr) != 1) return std::nullopt;
  char name[NI_MAXHOST] = {};
  if (getnameinfo(reinterpret_cast<sockaddr*>(&ipv4), sizeof ipv4, name, sizeof name, nullptr, 0,
                  NI_NAMEREQD) != 0) {
    return std::nullopt;
  }
  if (std::strlen(name) < 1) return std::nullopt;
  return std::string(name);
}

}  // namespace quillet
