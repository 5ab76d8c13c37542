#pragma once
// The ICMP port: one echo request to an IPv4 address, waiting a bounded time for the reply.
#include <cstdint>
#include <string>

namespace quillet {

// IP status codes written into EchoReply::status. The values are those of the Windows ICMP
// library, so that every platform writes the same codes.
namespace ip_status {
inline constexpr uint32_t kSuccess = 0;
inline constexpr uint32_t kBufferTooSmall = 11001;
inline constexpr uint32_t kDestNetUnreachable = 11002;
inline constexpr uint32_t kDestHostUnreachable = 11003;
inline constexpr uint32_t kDestProtocolUnreachable = 11004;
inline constexpr uint32_t kDestPortUnreachable = 11005;
inline constexpr uint32_t kRequestTimedOut = 11010;
inline constexpr uint32_t kBadDestination = 11018;
inline constexpr uint32_t kTtlExpiredTransit = 11013;
inline constexpr uint32_t kGeneralFailure = 11050;
}  // namespace ip_status

// The reply record, filled in place by the platform.
struct EchoReply {
  uint32_t address = 0;        // replying IPv4 address, network byte order
  uint32_t status = 0;         // ip_status::kSuccess when an echo reply arrived
  uint32_t round_trip_ms = 0;  // valid when status is kSuccess
  std::string data;            // the echoed data (at most kEchoDataBytes)
};

inline constexpr size_t kEchoDataBytes = 250;

class Pinger {
 public:
  virtual ~Pinger() = default;
  // Sends one echo with `payload` to `address` (network byte order) and waits at most
  // `timeout_ms` for the answer, filling `reply`. Returns false when no ICMP channel could be
  // opened (then `reply` is left as it was).
  virtual bool Echo(uint32_t address, const std::string& payload, int32_t timeout_ms,
                    EchoReply& reply) = 0;
  // Times a TCP connection to `address` and `port` instead (see CheckIo::StartConnect). Returns
  // false when no socket could be made.
  virtual bool Connect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoReply& reply) = 0;
};

// The payload the verification run sends.
inline constexpr const char* kPingPayload = "xoxo";

// Result of PingHost besides the IP status codes.
inline constexpr int32_t kPingBadAddress = -1;
inline constexpr int32_t kPingNoChannel = 1;

// One echo to the dotted address `address`: 0 when a reply arrived (round_trip_ms valid),
// kPingBadAddress for text that is not an address, kPingNoChannel when ICMP is not available,
// otherwise the record's IP status (no reply, time-out, unreachable, ...).
// The result of an echo that was sent: kPingNoChannel when no channel opened, else the status.
inline int32_t EchoStatus(bool opened, const EchoReply& reply) {
  return opened ? static_cast<int32_t>(reply.status) : kPingNoChannel;
}

int32_t PingHost(Pinger& pinger, const std::string& address, const std::string& payload,
                 EchoReply& reply, int32_t timeout_ms);

}  // namespace quillet
