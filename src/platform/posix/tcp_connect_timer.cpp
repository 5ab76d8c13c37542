#include "platform/posix/tcp_connect_timer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quillet {
namespace {

// A non-blocking socket with its connection started; -1 when none could be made. `at_once`
// holds the status when the connection ended at once (made, or refused), else stays unset.
int StartConnection(uint32_t address, uint16_t port, int& at_once) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address;
  at_once = -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
    at_once = int(ip_status::kSuccess);
  } else if (errno != EINPROGRESS) {
    at_once = int(ip_status::kDestPortUnreachable);
  }
  return fd;
}

// The outcome of a connection the socket reports ready.
uint32_t ConnectionStatus(int fd) {
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
  return error == 0 ? ip_status::kSuccess : ip_status::kDestPortUnreachable;
}

uint32_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
  auto took = std::chrono::steady_clock::now() - start;
  return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(took).count());
}

}  // namespace

TcpConnectTimer::~TcpConnectTimer() {
  for (const auto& [fd, attempt] : attempts_) {
    loop_.Unwatch(fd);
    close(fd);
  }
}

bool TcpConnectTimer::Start(uint32_t address, uint16_t port, int32_t timeout_ms,
                            CheckIo::EchoDone& done) {
  int at_once = -1;
  auto started = Clock::now();
  int fd = StartConnection(address, port, at_once);
  if (fd < 0) return false;
  Attempt attempt;
  attempt.address = address;
  attempt.started = started;
  attempt.deadline = started + std::chrono::milliseconds(timeout_ms);
  attempt.done = done;
  if (at_once >= 0) {
    attempt.ended = true;
    attempt.status = uint32_t(at_once);
    ended_.push_back(fd);
  } else if (!loop_.Watch(fd, EPOLLOUT, this)) {
    close(fd);
    return false;
  } else {
    attempt.deadline_entry = deadlines_.emplace(attempt.deadline, fd);
  }
  attempts_[fd] = std::move(attempt);
  return true;
}

int TcpConnectTimer::TimeoutMs(Clock::time_point now) const {
  if (!ended_.empty()) return 0;
  if (deadlines_.empty()) return -1;
  return WaitMsUntil(deadlines_.begin()->first, now);
}

void TcpConnectTimer::OnReady(int fd, uint32_t) {
  Answer(fd, ConnectionStatus(fd));
}

void TcpConnectTimer::ExpireDue(Clock::time_point now) {
  std::vector<int> ended;
  ended.swap(ended_);
  for (int fd : ended) {
    auto found = attempts_.find(fd);
    if (found != attempts_.end() && found->second.ended) Answer(fd, found->second.status);
  }
  while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    Answer(deadlines_.begin()->second, ip_status::kRequestTimedOut);
  }
}

void TcpConnectTimer::AbortAll() {
  while (!attempts_.empty()) Answer(attempts_.begin()->first, ip_status::kRequestTimedOut);
  ended_.clear();
}

void TcpConnectTimer::Answer(int fd, uint32_t status) {
  auto found = attempts_.find(fd);
  if (found == attempts_.end()) return;
  Attempt attempt = std::move(found->second);
  attempts_.erase(found);
  if (!attempt.ended) {
    deadlines_.erase(attempt.deadline_entry);
    loop_.Unwatch(fd);
  }
  close(fd);
  EchoReply reply;
  reply.address = attempt.address;
  reply.status = status;
  reply.round_trip_ms = MillisecondsSince(attempt.started);
  attempt.done(true, reply);
}

bool ConnectTime(uint32_t address, uint16_t port, int32_t timeout_ms, EchoReply& reply) {
  auto started = std::chrono::steady_clock::now();
  int at_once = -1;
  int fd = StartConnection(address, port, at_once);
  if (fd < 0) return false;
  reply.address = address;
  reply.status = ip_status::kRequestTimedOut;
  if (at_once >= 0) {
    reply.status = uint32_t(at_once);
  } else {
    pollfd wait{fd, POLLOUT, 0};
    if (poll(&wait, 1, timeout_ms) > 0) reply.status = ConnectionStatus(fd);
  }
  reply.round_trip_ms = MillisecondsSince(started);
  close(fd);
  return true;
}

}  // namespace quillet
