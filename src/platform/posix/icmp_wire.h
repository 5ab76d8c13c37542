#pragma once
// ICMP messages as they travel: the echo request, the fields read from replies and errors, and
// the kernel's receive stamp of a message read with its control data.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

inline constexpr size_t kHeaderBytes = 8;  // type, code, checksum, identifier, sequence

inline constexpr uint8_t kEchoReply = 0;
inline constexpr uint8_t kUnreachable = 3;
inline constexpr uint8_t kEchoRequest = 8;
inline constexpr uint8_t kTimeExceeded = 11;

uint16_t Read16(const uint8_t* at);
std::vector<uint8_t> EchoMessage(uint16_t identifier, uint16_t sequence,
                                 const std::string& payload);
// The IP status that an ICMP error of `type` and `code` stands for.
uint32_t StatusOfError(uint8_t type, uint8_t code);
// Length of the IPv4 header in front of `bytes`, 0 when there is no valid one.
size_t IpHeaderLength(const uint8_t* bytes, size_t size);

// The system clock now, in the kernel's receive stamps' terms (nanoseconds).
int64_t WallNow();

// One message read from a socket with its control messages (receive stamp, queued error).
struct Received {
  sockaddr_in peer{};
  iovec io{};
  msghdr header{};

  ssize_t Read(int fd, void* data, size_t size, void* control, size_t control_size, int flags);
};

// When the kernel received the message `header` was read with, if it says (it stamps nothing
// when no socket of the system asked for stamps a moment before).
std::optional<int64_t> ArrivalOf(msghdr& header);

}  // namespace quillet
