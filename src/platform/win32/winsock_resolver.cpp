#include "platform/win32/winsock_resolver.h"

#include <winsock2.h>

namespace quillet {
namespace {

constexpr WORD kVersion11 = 0x0101;  // major version in the low byte

// Runs a look-up; when the library has not been started by anyone, starts it around a second
// try, so that a look-up never fails just for want of a start-up.
template <class LookUp>
auto WithLibrary(LookUp look_up) -> decltype(look_up()) {
  auto found = look_up();
  if (found || WSAGetLastError() != WSANOTINITIALISED) return found;
  WSADATA data;
  if (WSAStartup(kVersion11, &data) != 0) return found;
  found = look_up();
  WSACleanup();
  return found;
}

// The bytes of one address as unsigned decimal numbers joined by ".".
std::string Dotted(const char* bytes, int length) {
  std::string text;
  for (int i = 0; i < length; ++i) {
    if (i) text += '.';
    text += std::to_string(static_cast<unsigned char>(bytes[i]));
  }
  return text;
}

}  // namespace

SocketStartup WinsockResolver::Startup() {
  WSADATA data = {};
  SocketStartup granted;
  granted.result = WSAStartup(kVersion11, &data);
  granted.major = LOBYTE(data.wVersion);
  granted.minor = HIBYTE(data.wVersion);
  granted.max_sockets = data.iMaxSockets;
  return granted;
}

int WinsockResolver::Cleanup() {
  return WSACleanup();
}

std::optional<std::string> WinsockResolver::LocalHostName(int& error) {
  char name[256] = {};
  auto look_up = [&]() -> std::optional<std::string> {
    if (gethostname(name, sizeof name) == SOCKET_ERROR) return std::nullopt;
    return std::string(name);
  };
  std::optional<std::string> found = WithLibrary(look_up);
  error = found ? 0 : WSAGetLastError();
  return found;
}

std::optional<std::vector<std::string>> WinsockResolver::HostAddresses(const std::string& name) {
  return WithLibrary([&]() -> std::optional<std::vector<std::string>> {
    const hostent* entry = gethostbyname(name.c_str());
    if (!entry || entry->h_addrtype != AF_INET) return std::nullopt;
    std::vector<std::string> addresses;
    for (char** address = entry->h_addr_list; address && *address; ++address) {
      addresses.push_back(Dotted(*address, entry->h_length));
    }
    return addresses;
  });
}

std::optional<std::string> WinsockResolver::HostName(const std::string& address) {
  unsigned long value = inet_addr(address.c_str());
  if (value == INADDR_NONE) return std::nullopt;
  return WithLibrary([&]() -> std::optional<std::string> {
    const hostent* entry = gethostbyaddr(reinterpret_cast<const char*>(&value), 4, AF_INET);
    if (!entry || !entry->h_name) return std::nullopt;
    int length = lstrlenA(entry->h_name);
    if (length < 1) return std::nullopt;
    return std::string(entry->h_name, static_cast<size_t>(length));
  });
}

}  // namespace quillet
