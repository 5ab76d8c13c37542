#include "platform/posix/icmp_wire.h"

#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <time.h>

#include <algorithm>
#include <cstring>

#include "verify/check_io.h"

namespace quillet {
namespace {

void Write16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value & 0xFF);
}

// The Internet checksum (ones' complement sum of 16-bit words) over the whole message.
uint16_t InternetChecksum(const std::vector<uint8_t>& message) {
  uint64_t total = 0;
  for (size_t at = 0; at < message.size(); at += 2) {
    uint8_t low = at + 1 < message.size() ? message[at + 1] : 0;
    total += static_cast<uint64_t>(message[at]) << 8 | low;
  }
  while (total > 0xFFFF) total = (total >> 16) + (total & 0xFFFF);
  return static_cast<uint16_t>(~total & 0xFFFF);
}

int64_t Nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

uint16_t Read16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] << 8 | at[1]);
}

std::vector<uint8_t> EchoMessage(uint16_t identifier, uint16_t sequence,
                                 const std::string& payload) {
  std::vector<uint8_t> message(kHeaderBytes + payload.size(), 0);
  message[0] = kEchoRequest;
  Write16(&message[4], identifier);
  Write16(&message[6], sequence);
  std::copy(payload.begin(), payload.end(), message.begin() + kHeaderBytes);
  Write16(&message[2], InternetChecksum(message));
  return message;
}

uint32_t StatusOfError(uint8_t type, uint8_t code) {
  if (type == kTimeExceeded) return ip_status::kTtlExpiredTransit;
  if (type != kUnreachable) return ip_status::kGeneralFailure;
  if (code == ICMP_NET_UNREACH) return ip_status::kDestNetUnreachable;
  if (code == ICMP_PROT_UNREACH) return ip_status::kDestProtocolUnreachable;
  if (code == ICMP_PORT_UNREACH) return ip_status::kDestPortUnreachable;
  return ip_status::kDestHostUnreachable;
}

// Length of the IPv4 header in front of `bytes`, 0 when there is no valid one.
size_t IpHeaderLength(const uint8_t* bytes, size_t size) {
  if (size < 20) return 0;
  size_t length = static_cast<size_t>(bytes[0] & 0x0F) * 4;
  return length >= 20 && length <= size ? length : 0;
}

int64_t WallNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

ssize_t Received::Read(int fd, void* data, size_t size, void* control, size_t control_size,
                       int flags) {
  peer = {};
  io = {data, size};
  header = {};
  header.msg_name = &peer;
  header.msg_namelen = sizeof peer;
  header.msg_iov = &io;
  header.msg_iovlen = 1;
  header.msg_control = control;
  header.msg_controllen = control_size;
  return recvmsg(fd, &header, flags);
}

std::optional<int64_t> ArrivalOf(msghdr& header) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPING) {
      scm_timestamping stamps{};
      std::memcpy(&stamps, CMSG_DATA(c), sizeof stamps);
      if (stamps.ts[0].tv_sec != 0 || stamps.ts[0].tv_nsec != 0) return Nanoseconds(stamps.ts[0]);
    }
  }
  return std::nullopt;
}

}  // namespace quillet
