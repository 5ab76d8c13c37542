#include "platform/win32/tunnel_connection.h"

#include <ws2tcpip.h>

namespace quillet {

TunnelConnection::TunnelConnection(const in_addr& address, int port, int timeout_ms)
    : timeout_(timeout_ms) {
  StartPhase();
  SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd == INVALID_SOCKET) return;
  socket_ = fd;
  u_long non_blocking = 1;
  sockaddr_in where = {};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<u_short>(port));
  where.sin_addr = address;
  bool started = ioctlsocket(fd, FIONBIO, &non_blocking) == 0 &&
                 (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 ||
                  WSAGetLastError() == WSAEWOULDBLOCK);
  int error = 0;
  socklen_t length = sizeof error;
  if (!started || !Wait(true) ||
      getsockopt(fd, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
      error != 0) {
    closesocket(fd);
    socket_ = INVALID_SOCKET;
  }
}

TunnelConnection::~TunnelConnection() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

void TunnelConnection::StartPhase() {
  phase_ends_ = std::chrono::steady_clock::now() + timeout_;
}

// Waits until the socket is ready or the phase has ended.
bool TunnelConnection::Wait(bool writing) {
  auto left = std::chrono::duration_cast<std::chrono::microseconds>(
      phase_ends_ - std::chrono::steady_clock::now());
  if (left.count() <= 0) return false;
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket_, &ready);
  FD_SET(socket_, &failed);
  timeval limit = {static_cast<long>(left.count() / 1000000),
                   static_cast<long>(left.count() % 1000000)};
  int count = select(0, writing ? nullptr : &ready, writing ? &ready : nullptr, &failed, &limit);
  return count > 0 && FD_ISSET(socket_, &ready);
}

bool TunnelConnection::Send(const std::string& data) {
  for (size_t sent = 0; sent < data.size();) {
    if (socket_ == INVALID_SOCKET || !Wait(true)) return false;
    int n = send(socket_, data.data() + sent, static_cast<int>(data.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

TunnelConnection::Got TunnelConnection::ReceiveSome(std::string& into) {
  char buffer[4096];
  if (socket_ == INVALID_SOCKET || !Wait(false)) return Got::Failed;
  int n = static_cast<int>(recv(socket_, buffer, sizeof buffer, 0));
  if (n < 0) return Got::Failed;
  into.append(buffer, static_cast<size_t>(n));
  return n == 0 ? Got::End : Got::Data;
}

bool TunnelConnection::Receive(std::string& into, size_t size) {
  while (into.size() < size) {
    if (ReceiveSome(into) != Got::Data) return false;
  }
  return true;
}

bool TunnelConnection::ReceiveUntil(std::string& into, const std::string& mark, size_t most) {
  while ((mark.empty() || into.find(mark) == std::string::npos) && into.size() < most) {
    Got got = ReceiveSome(into);
    if (got != Got::Data) return got == Got::End;
  }
  return true;
}

}  // namespace quillet
