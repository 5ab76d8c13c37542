#include "platform/posix/icmp_multiplexer.h"

#include "platform/posix/icmp_wire.h"

#include <linux/errqueue.h>
#include <linux/filter.h>
#include <linux/icmp.h>
#include <linux/net_tstamp.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

namespace quillet {
namespace {

constexpr size_t kFirstDatagramSockets = 4;
constexpr size_t kMostDatagramSockets = 64;
// What one reply waiting to be read takes of a receive buffer, with the kernel's overhead (about
// 800 bytes on loopback; kept generous).
constexpr size_t kReplyBytes = 2048;

// A raw socket's filter in the kernel: echo replies to other identifiers (the other engines'
// and other programs' pings) are dropped before they wake the loop; errors pass, since the
// echo they answer is quoted further in.
void KeepOwnReplies(int fd, uint16_t identifier) {
  static_assert(kEchoReply == 0, "the filter tests the type against 0");
  sock_filter code[] = {
      BPF_STMT(BPF_LDX | BPF_B | BPF_MSH, 0),                 // x: the IP header's length
      BPF_STMT(BPF_LD | BPF_B | BPF_IND, 0),                  // the ICMP type
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 0, 2),           // not an echo reply: keep
      BPF_STMT(BPF_LD | BPF_H | BPF_IND, 4),                  // the echo's identifier
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, identifier, 0, 1),  // ours: keep
      BPF_STMT(BPF_RET | BPF_K, 0xFFFF),
      BPF_STMT(BPF_RET | BPF_K, 0),
  };
  sock_fprog program{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
  // Without it (an old kernel) the loop still tells its own replies by their identifier.
  setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program);
}

// How many replies the receive buffer of `fd`, as the system granted it, holds.
size_t RepliesHeld(int fd) {
  int granted = 0;
  socklen_t size = sizeof granted;
  if (getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &size) != 0 || granted <= 0) return 1;
  return std::max<size_t>(static_cast<size_t>(granted) / kReplyBytes, 1);
}

}  // namespace

// Every raw socket sees every echo reply: each multiplexer of the process (one per engine) has
// an identifier of its own, so that it reads only the replies to its own echoes.
IcmpMultiplexer::IcmpMultiplexer(EpollLoop& loop, SocketKind kind, int receive_buffer)
    : loop_(loop), kind_(kind), receive_buffer_(receive_buffer) {
  static std::atomic<uint16_t> made{0};
  identifier_ = static_cast<uint16_t>((getpid() + made++ * 7919) & 0xFFFF);
}

IcmpMultiplexer::~IcmpMultiplexer() {
  AbortAll();
  for (int fd : sockets_) {
    loop_.Unwatch(fd);
    close(fd);
  }
}

int IcmpMultiplexer::OpenSocket(int type) {
  int fd = socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
  if (fd < 0) return fd;
  int size = receive_buffer_;
  if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  }
  // Receive stamps only where the kernel really took them: one taken at the read would say
  // nothing more than the clock.
  int stamping = SOF_TIMESTAMPING_RX_SOFTWARE | SOF_TIMESTAMPING_SOFTWARE;
  setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPING, &stamping, sizeof stamping);
  if (type == SOCK_DGRAM) {
    int on = 1;
    setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
  } else {
    // A raw socket sees every ICMP message of the host: it keeps only replies and errors.
    icmp_filter filter{};
    filter.data =
        ~((1u << ICMP_ECHOREPLY) | (1u << ICMP_DEST_UNREACH) | (1u << ICMP_TIME_EXCEEDED));
    setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    KeepOwnReplies(fd, identifier_);
  }
  if (!loop_.Watch(fd, EPOLLIN, this)) {
    int error = errno;
    close(fd);
    throw std::system_error(error, std::generic_category(), "epoll_ctl (ICMP socket)");
  }
  sockets_.push_back(fd);
  room_ += RepliesHeld(fd);
  return fd;
}

bool IcmpMultiplexer::Open() {
  if (tried_) return !sockets_.empty();
  tried_ = true;
  if (kind_ != SocketKind::Raw) {
    while (sockets_.size() < kFirstDatagramSockets && OpenSocket(SOCK_DGRAM) >= 0) {
    }
  }
  // One raw socket is enough: every one sees every reply.
  if (sockets_.empty() && kind_ != SocketKind::Datagram) raw_ = OpenSocket(SOCK_RAW) >= 0;
  return !sockets_.empty();
}

// Room for one more echo in flight: every reply must fit in the receive buffers at once, or the
// kernel drops some whenever the loop reads late. Datagram sockets each have a buffer of their
// own, so another is opened; the raw socket's echoes wait their turn.
bool IcmpMultiplexer::HasRoom() {
  auto fits = [this] { return waiting_.size() < std::min<size_t>(room_, 0xFFFF); };
  if (fits()) return true;
  return !raw_ && sockets_.size() < kMostDatagramSockets && OpenSocket(SOCK_DGRAM) >= 0 && fits();
}

uint16_t IcmpMultiplexer::NextSequence() {
  do {
    ++sequence_;
  } while (waiting_.count(sequence_));
  return sequence_;
}

bool IcmpMultiplexer::Start(uint32_t address, const std::string& payload, int32_t timeout_ms,
                            CheckIo::EchoDone& done) {
  if (!Open()) return false;
  if (held_.empty() && HasRoom()) {
    Send(address, payload, timeout_ms, std::move(done));
  } else {
    held_.push_back({address, payload, timeout_ms, std::move(done)});
  }
  return true;
}

void IcmpMultiplexer::SendHeld() {
  while (!held_.empty() && HasRoom()) {
    Held echo = std::move(held_.front());
    held_.pop_front();
    Send(echo.address, echo.payload, echo.timeout_ms, std::move(echo.done));
  }
}

void IcmpMultiplexer::Send(uint32_t address, const std::string& payload, int32_t timeout_ms,
                           CheckIo::EchoDone done) {
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
}

int IcmpMultiplexer::TimeoutMs(Clock::time_point now) const {
  if (deadlines_.empty()) return -1;
  return WaitMsUntil(deadlines_.begin()->first, now);
}

void IcmpMultiplexer::ExpireDue(Clock::time_point now) {
  // A reply that arrived while the loop was busy elsewhere still counts: read what the sockets
  // hold before anything waiting for it is given up.
  if (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    for (int fd : sockets_) ReadReplies(fd);
  }
  while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    uint16_t sequence = deadlines_.begin()->second;
    Finish(sequence, waiting_.at(sequence).status_at_deadline, 0, "");
  }
  SendHeld();
}

void IcmpMultiplexer::AbortAll() {
  while (!waiting_.empty()) Finish(waiting_.begin()->first, ip_status::kRequestTimedOut, 0, "");
  while (!held_.empty()) {
    Held echo = std::move(held_.front());
    held_.pop_front();
    EchoReply reply;
    reply.status = ip_status::kRequestTimedOut;
    echo.done(true, reply);
  }
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
  SendHeld();
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
