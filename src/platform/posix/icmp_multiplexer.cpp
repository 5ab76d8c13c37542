#include "platform/posix/icmp_multiplexer.h"

#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <linux/net_tstamp.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

namespace quillet {
namespace {

constexpr size_t kDatagramSockets = 4;
constexpr int kReceiveBuffer = 8 << 20;
constexpr size_t kHeaderBytes = 8;  // type, code, checksum, identifier, sequence

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kUnreachable = 3;
constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kTimeExceeded = 11;

uint16_t Read16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] << 8 | at[1]);
}
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

int OpenSocket(int type) {
  int fd = socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
  if (fd < 0) return fd;
  int size = kReceiveBuffer;
  if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  }
  // Receive stamps only where the kernel really took them: one taken at the read would say
  // nothing more than the clock.
  int stamping = SOF_TIMESTAMPING_RX_SOFTWARE | SOF_TIMESTAMPING_SOFTWARE;
  setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPING, &stamping, sizeof stamping);
  return fd;
}

int64_t Nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// The system clock now, in the kernel's receive stamps' terms.
int64_t WallNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

// One message read from a socket with its control messages (receive stamp, queued error).
struct Received {
  sockaddr_in peer{};
  iovec io{};
  msghdr header{};

  ssize_t Read(int fd, void* data, size_t size, void* control, size_t control_size, int flags) {
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
};

// When the kernel received the message `header` was read with, if it says (it stamps nothing
// when no socket of the system asked for stamps a moment before).
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

}  // namespace

IcmpMultiplexer::IcmpMultiplexer(EpollLoop& loop, SocketKind kind) : loop_(loop), kind_(kind) {
  identifier_ = static_cast<uint16_t>(getpid() & 0xFFFF);
}

IcmpMultiplexer::~IcmpMultiplexer() {
  AbortAll();
  for (int fd : sockets_) {
    loop_.Unwatch(fd);
    close(fd);
  }
}

bool IcmpMultiplexer::Open() {
  if (tried_) return !sockets_.empty();
  tried_ = true;
  if (kind_ != SocketKind::Raw) {
    while (sockets_.size() < kDatagramSockets) {
      int fd = OpenSocket(SOCK_DGRAM);
      if (fd < 0) break;
      int on = 1;
      setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
      sockets_.push_back(fd);
    }
  }
  if (sockets_.empty() && kind_ != SocketKind::Datagram) {
    // A raw socket sees every ICMP message of the host: one is enough, and it keeps only
    // replies and errors.
    int fd = OpenSocket(SOCK_RAW);
    if (fd >= 0) {
      icmp_filter filter{};
      filter.data =
          ~((1u << ICMP_ECHOREPLY) | (1u << ICMP_DEST_UNREACH) | (1u << ICMP_TIME_EXCEEDED));
      setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
      sockets_.push_back(fd);
      raw_ = true;
    }
  }
  for (int fd : sockets_) {
    if (!loop_.Watch(fd, EPOLLIN, this)) {
      throw std::system_error(errno, std::generic_category(), "epoll_ctl (ICMP socket)");
    }
  }
  return !sockets_.empty();
}

uint16_t IcmpMultiplexer::NextSequence() {
  do {
    ++sequence_;
  } while (waiting_.count(sequence_));
  return sequence_;
}

bool IcmpMultiplexer::Start(uint32_t address, const std::string& payload, int32_t timeout_ms,
                            CheckIo::EchoDone& done) {
  if (!Open() || waiting_.size() >= 0xFFFF) return false;
  uint16_t sequence = NextSequence();
  std::vector<uint8_t> message = EchoMessage(identifier_, sequence, payload);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  int fd = sockets_[next_socket_++ % sockets_.size()];
  Clock::time_point now = Clock::now();
  auto timeout = std::chrono::milliseconds(std::max(timeout_ms, 0));
  Echo echo;
  echo.address = address;
  echo.sent_ns = WallNow();
  echo.deadline = now + timeout;
  echo.deadline_ns = echo.sent_ns + std::chrono::nanoseconds(timeout).count();
  echo.done = std::move(done);
  auto sent =
      sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  if (sent < 0) {
    // Answered on the next round of the loop, never inside Start.
    echo.deadline = now;
    echo.status_at_deadline = errno == ENETUNREACH    ? ip_status::kDestNetUnreachable
                              : errno == EHOSTUNREACH ? ip_status::kDestHostUnreachable
                                                      : ip_status::kGeneralFailure;
  }
  echo.deadline_entry = deadlines_.emplace(echo.deadline, sequence);
  waiting_.emplace(sequence, std::move(echo));
  return true;
}

int IcmpMultiplexer::TimeoutMs() const {
  if (deadlines_.empty()) return -1;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadlines_.begin()->first -
                                                                    Clock::now());
  return static_cast<int>(std::max<long long>(left.count() + 1, 0));
}

void IcmpMultiplexer::ExpireDue() {
  Clock::time_point now = Clock::now();
  // A reply that arrived while the loop was busy elsewhere still counts: read what the sockets
  // hold before anything waiting for it is given up.
  if (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    for (int fd : sockets_) ReadReplies(fd);
  }
  while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    uint16_t sequence = deadlines_.begin()->second;
    Finish(sequence, waiting_.at(sequence).status_at_deadline, 0, "");
  }
}

void IcmpMultiplexer::AbortAll() {
  while (!waiting_.empty()) Finish(waiting_.begin()->first, ip_status::kRequestTimedOut, 0, "");
}

// An echo reply counts when the kernel had it by the echo's deadline, however late it is read.
// Without the kernel's stamp, a reply read before the echo was given up counts.
void IcmpMultiplexer::Answered(uint16_t sequence, uint32_t from, const std::string& data,
                               std::optional<int64_t> arrived_ns) {
  auto found = waiting_.find(sequence);
  if (found == waiting_.end()) return;
  if (arrived_ns && *arrived_ns > found->second.deadline_ns) {
    Finish(sequence, found->second.status_at_deadline, 0, "");
  } else {
    Finish(sequence, ip_status::kSuccess, from, data, arrived_ns.value_or(WallNow()));
  }
}

void IcmpMultiplexer::Finish(uint16_t sequence, uint32_t status, uint32_t from,
                             const std::string& data, int64_t arrived_ns) {
  auto found = waiting_.find(sequence);
  if (found == waiting_.end()) return;
  Echo echo = std::move(found->second);
  waiting_.erase(found);
  deadlines_.erase(echo.deadline_entry);
  EchoReply reply;
  reply.status = status;
  reply.address = from;
  reply.data = data.substr(0, kEchoDataBytes);
  if (status == ip_status::kSuccess) {
    reply.round_trip_ms =
        static_cast<uint32_t>(std::max<int64_t>(arrived_ns - echo.sent_ns, 0) / 1'000'000);
  }
  echo.done(true, reply);
}

void IcmpMultiplexer::OnReady(int fd, uint32_t events) {
  if (events & EPOLLERR) ReadErrors(fd);
  if (events & EPOLLIN) ReadReplies(fd);
}

void IcmpMultiplexer::ReadReplies(int fd) {
  uint8_t buffer[1500];
  alignas(cmsghdr) uint8_t control[CMSG_SPACE(sizeof(scm_timestamping))];
  Received received;
  const sockaddr_in& from = received.peer;
  for (;;) {
    ssize_t got = received.Read(fd, buffer, sizeof buffer, control, sizeof control, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return;  // drained (or an error the error queue will tell)
    }
    const uint8_t* message = buffer;
    size_t size = static_cast<size_t>(got);
    if (raw_) {
      size_t skip = IpHeaderLength(message, size);
      if (skip == 0) continue;
      message += skip;
      size -= skip;
    }
    if (size < kHeaderBytes) continue;
    uint8_t type = message[0];
    if (type == kEchoReply) {
      uint16_t sequence = Read16(message + 6);
      auto found = waiting_.find(sequence);
      // Datagram sockets get their identifier from the kernel and see only their own replies.
      if (found == waiting_.end() || found->second.address != from.sin_addr.s_addr) continue;
      if (raw_ && Read16(message + 4) != identifier_) continue;
      std::string data(reinterpret_cast<const char*>(message + kHeaderBytes), size - kHeaderBytes);
      Answered(sequence, from.sin_addr.s_addr, data, ArrivalOf(received.header));
    } else if (raw_ && (type == kUnreachable || type == kTimeExceeded)) {
      // The error quotes the IP header and the first bytes of the echo it answers.
      const uint8_t* quoted = message + kHeaderBytes;
      size_t quoted_size = size - kHeaderBytes;
      size_t skip = IpHeaderLength(quoted, quoted_size);
      if (skip == 0 || quoted_size < skip + kHeaderBytes) continue;
      const uint8_t* original = quoted + skip;
      if (original[0] != kEchoRequest || Read16(original + 4) != identifier_) continue;
      uint16_t sequence = Read16(original + 6);
      Finish(sequence, StatusOfError(type, message[1]), from.sin_addr.s_addr, "");
    }
  }
}

void IcmpMultiplexer::ReadErrors(int fd) {
  for (;;) {
    uint8_t data[512];
    alignas(cmsghdr) uint8_t control[512];
    Received received;
    msghdr& header = received.header;
    ssize_t got =
        received.Read(fd, data, sizeof data, control, sizeof control, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (got < 0) return;
    if (static_cast<size_t>(got) < kHeaderBytes) continue;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
      if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
      sock_extended_err error;
      std::memcpy(&error, CMSG_DATA(c), sizeof error);
      if (error.ee_origin != SO_EE_ORIGIN_ICMP) continue;
      Finish(Read16(data + 6), StatusOfError(error.ee_type, error.ee_code), 0, "");
    }
  }
}

}  // namespace quillet
