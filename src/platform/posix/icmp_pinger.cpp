#include "platform/posix/icmp_pinger.h"

#include "platform/posix/tcp_connect_timer.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;

struct Channel {
  int fd = -1;
  bool raw = false;  // raw sockets see the IP header and every ICMP packet of the host
  ~Channel() {
    if (fd >= 0) close(fd);
  }
};

bool Open(IcmpPinger::SocketKind kind, Channel& channel) {
  using Kind = IcmpPinger::SocketKind;
  if (kind != Kind::Raw) {
    channel.fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (channel.fd >= 0) {
      int on = 1;
      setsockopt(channel.fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
      return true;
    }
  }
  if (kind != Kind::Datagram) {
    channel.fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    channel.raw = true;
  }
  return channel.fd >= 0;
}

uint16_t Checksum(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
  if (size % 2) sum += static_cast<uint32_t>(data[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return htons(static_cast<uint16_t>(~sum));
}

// Identifier and sequence that tell our echo apart from other pings of the host.
struct EchoId {
  uint16_t id;
  uint16_t sequence;
};

EchoId NextEchoId() {
  static std::atomic<uint16_t> counter{0};
  return {static_cast<uint16_t>(getpid() & 0xFFFF), counter.fetch_add(1)};
}

std::vector<uint8_t> EchoRequest(EchoId echo, const std::string& payload) {
  std::vector<uint8_t> packet(sizeof(icmphdr) + payload.size());
  icmphdr header{};
  header.type = ICMP_ECHO;
  header.un.echo.id = htons(echo.id);
  header.un.echo.sequence = htons(echo.sequence);
  std::memcpy(packet.data(), &header, sizeof header);
  std::memcpy(packet.data() + sizeof header, payload.data(), payload.size());
  uint16_t sum = Checksum(packet.data(), packet.size());
  std::memcpy(packet.data() + offsetof(icmphdr, checksum), &sum, sizeof sum);
  return packet;
}

uint32_t UnreachableStatus(int code) {
  switch (code) {
    case ICMP_NET_UNREACH:
      return ip_status::kDestNetUnreachable;
    case ICMP_PROT_UNREACH:
      return ip_status::kDestProtocolUnreachable;
    case ICMP_PORT_UNREACH:
      return ip_status::kDestPortUnreachable;
    default:
      return ip_status::kDestHostUnreachable;
  }
}

// The status of an ICMP error message about our echo, 0 when the type is not an error.
uint32_t ErrorStatus(int type, int code) {
  if (type == ICMP_DEST_UNREACH) return UnreachableStatus(code);
  if (type == ICMP_TIME_EXCEEDED) return ip_status::kTtlExpiredTransit;
  return 0;
}

uint32_t SendErrorStatus(int error) {
  if (error == ENETUNREACH) return ip_status::kDestNetUnreachable;
  if (error == EHOSTUNREACH) return ip_status::kDestHostUnreachable;
  return ip_status::kGeneralFailure;
}

struct Packet {
  const uint8_t* data;
  size_t size;
};

// Skips the IP header in front of what a raw socket receives.
bool SkipIpHeader(Packet& packet) {
  if (packet.size < sizeof(iphdr)) return false;
  size_t header = static_cast<size_t>(packet.data[0] & 0x0F) * 4;
  if (header < sizeof(iphdr) || packet.size < header) return false;
  packet.data += header;
  packet.size -= header;
  return true;
}

bool SameEcho(const icmphdr& header, EchoId echo, bool check_id) {
  return ntohs(header.un.echo.sequence) == echo.sequence &&
         (!check_id || ntohs(header.un.echo.id) == echo.id);
}

// Reads one received ICMP message. Returns true when it finishes our echo (reply or error).
bool Judge(Packet packet, bool raw, EchoId echo, EchoReply& reply) {
  if (raw && !SkipIpHeader(packet)) return false;
  icmphdr header;
  if (packet.size < sizeof header) return false;
  std::memcpy(&header, packet.data, sizeof header);
  if (header.type == ICMP_ECHOREPLY) {
    // Datagram sockets get their own identifier from the kernel; only raw sockets check it.
    if (!SameEcho(header, echo, raw)) return false;
    size_t data = std::min(packet.size - sizeof header, kEchoDataBytes);
    reply.data.assign(reinterpret_cast<const char*>(packet.data + sizeof header), data);
    reply.status = ip_status::kSuccess;
    return true;
  }
  uint32_t status = ErrorStatus(header.type, header.code);
  if (!raw || status == 0) return false;
  // An error carries the IP header and the first bytes of the echo it answers.
  Packet quoted{packet.data + sizeof header, packet.size - sizeof header};
  icmphdr original;
  if (!SkipIpHeader(quoted) || quoted.size < sizeof original) return false;
  std::memcpy(&original, quoted.data, sizeof original);
  if (original.type != ICMP_ECHO || !SameEcho(original, echo, true)) return false;
  reply.status = status;
  return true;
}

// Reads an ICMP error that a datagram socket queued for our echo.
bool ReadErrorQueue(int fd, EchoReply& reply) {
  uint8_t data[512];
  uint8_t control[512];
  iovec io{data, sizeof data};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  if (recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) return false;
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
    sock_extended_err error;
    std::memcpy(&error, CMSG_DATA(c), sizeof error);
    if (error.ee_origin != SO_EE_ORIGIN_ICMP) continue;
    reply.status = ErrorStatus(error.ee_type, error.ee_code);
    if (reply.status == 0) reply.status = ip_status::kGeneralFailure;
    return true;
  }
  return false;
}

// Waits for our echo's answer until the deadline; false on time-out.
bool Await(const Channel& channel, EchoId echo, Clock::time_point deadline, EchoReply& reply) {
  uint8_t buffer[1500];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) return false;
    pollfd wait{channel.fd, POLLIN, 0};
    int ready = poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    if ((wait.revents & POLLERR) && ReadErrorQueue(channel.fd, reply)) return true;
    sockaddr_in from{};
    socklen_t from_size = sizeof from;
    ssize_t got = recvfrom(channel.fd, buffer, sizeof buffer, MSG_DONTWAIT,
                           reinterpret_cast<sockaddr*>(&from), &from_size);
    if (got <= 0) continue;
    if (Judge({buffer, static_cast<size_t>(got)}, channel.raw, echo, reply)) {
      reply.address = from.sin_addr.s_addr;
      return true;
    }
  }
}

}  // namespace

bool IcmpPinger::Permitted(SocketKind kind) {
  Channel channel;
  return Open(kind, channel);
}

bool IcmpPinger::Echo(uint32_t address, const std::string& payload, int32_t timeout_ms,
                      EchoReply& reply) {
  Channel channel;
  if (!Open(kind_, channel)) return false;
  EchoId echo = NextEchoId();
  std::vector<uint8_t> packet = EchoRequest(echo, payload);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  auto start = Clock::now();
  if (sendto(channel.fd, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to),
             sizeof to) < 0) {
    reply.status = SendErrorStatus(errno);
    return true;
  }
  if (!Await(channel, echo, start + std::chrono::milliseconds(std::max(timeout_ms, 0)), reply)) {
    reply.status = ip_status::kRequestTimedOut;
    return true;
  }
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  if (reply.status == ip_status::kSuccess)
    reply.round_trip_ms = static_cast<uint32_t>(elapsed.count());
  return true;
}

bool IcmpPinger::Connect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoReply& reply) {
  return ConnectTime(address, port, timeout_ms, reply);
}

}  // namespace quillet
