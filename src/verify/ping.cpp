#include "verify/pinger.h"

#include <cstring>
#include <string_view>

namespace quillet {
namespace {

constexpr uint32_t kNotAnAddress = 0xFFFFFFFFu;

// Reads one decimal part 0..255 without leading zeros (a lone "0" is fine).
bool ReadPart(std::string_view part, uint32_t& value) {
  if (part.empty() || part.size() > 3) return false;
  if (part.size() > 1 && part[0] == '0') return false;
  value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value <= 255;
}

}  // namespace

bool ParseDottedAddress(const std::string& text, uint32_t& value) {
  std::string_view rest = text;
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) {
    size_t dot = rest.find('.');
    if ((i < 3) == (dot == std::string_view::npos)) return false;
    uint32_t part;
    if (!ReadPart(rest.substr(0, dot), part)) return false;
    bytes[i] = static_cast<uint8_t>(part);
    rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
  }
  // Network byte order: the first part is the first byte in memory.
  std::memcpy(&value, bytes, sizeof value);
  return value != kNotAnAddress;
}

int32_t PingHost(Pinger& pinger, const std::string& address, const std::string& payload,
                 EchoReply& reply, int32_t timeout_ms) {
  uint32_t value;
  if (!ParseDottedAddress(address, value)) return kPingBadAddress;
  if (!pinger.Echo(value, payload, timeout_ms, reply)) return kPingNoChannel;
  return static_cast<int32_t>(reply.status);
}

}  // namespace quillet
