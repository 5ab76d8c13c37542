#include <cstdint>

#include "farm_server.h"

namespace proxyfarm {
namespace {

// The SOCKS5 greeting: version, method count, methods. Answers "no authentication".
TunnelStep Socks5Greeting(const std::string& in) {
  if (in.size() < 2 || in.size() < 2u + static_cast<uint8_t>(in[1])) return {};
  return {2u + static_cast<uint8_t>(in[1]), std::string("\x05\x00", 2), false};
}

// The SOCKS5 request: version, CONNECT, reserved, address type, address, port.
TunnelStep Socks5Request(const std::string& in) {
  if (in.size() < 5) return {};
  size_t address = in[3] == 1 ? 4 : in[3] == 3 ? 1u + static_cast<uint8_t>(in[4]) : 16;
  size_t used = 4 + address + 2;
  if (in.size() < used) return {};
  return {used, std::string("\x05\x00\x00\x01\x00\x00\x00\x00\x00\x00", 10), true};
}

// SOCKS4 and 4a: version, CONNECT, port, address, user id ending in NUL, and for 4a (an address
// of 0.0.0.x) the host name ending in NUL.
TunnelStep Socks4Request(const std::string& in) {
  size_t user_end = in.size() < 8 ? std::string::npos : in.find('\0', 8);
  if (user_end == std::string::npos) return {};
  size_t used = user_end + 1;
  if (in[4] == 0 && in[5] == 0 && in[6] == 0 && in[7] != 0) {
    size_t host_end = in.find('\0', used);
    if (host_end == std::string::npos) return {};
    used = host_end + 1;
  }
  return {used, std::string("\x00\x5a\x00\x00\x00\x00\x00\x00", 8), true};
}

TunnelStep ConnectRequest(const std::string& in) {
  size_t end = in.find("\r\n\r\n");
  if (end == std::string::npos) return {};
  return {end + 4, "HTTP/1.0 200 Connection established\r\n\r\n", true};
}

}  // namespace

bool IsTunnel(Kind kind) {
  return kind == Kind::Socks4 || kind == Kind::Socks5 || kind == Kind::Connect;
}

TunnelStep TunnelHandshake(Kind kind, int stage, const std::string& in) {
  switch (kind) {
    case Kind::Socks5:
      return stage == 0 ? Socks5Greeting(in) : Socks5Request(in);
    case Kind::Socks4:
      return Socks4Request(in);
    case Kind::Connect:
      return ConnectRequest(in);
    default:
      return {0, "", true};
  }
}

}  // namespace proxyfarm
