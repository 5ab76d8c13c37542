#include "e2e/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace quillet::testing {
namespace {

int Listen(const std::string& address, uint16_t& port, int backlog) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &where.sin_addr);
  socklen_t size = sizeof where;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&where), size) != 0 ||
      listen(fd, backlog) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size)) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("cannot listen on " + address);
  }
  port = ntohs(where.sin_port);
  return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(const std::string& address, Behaviour behaviour,
                               bool accept_connections, uint16_t port)
    : address_(address), behaviour_(std::move(behaviour)) {
  port_ = port;
  listener_ = Listen(address, port_, 64);
  if (accept_connections) acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  shutdown(listener_, SHUT_RDWR);
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int fd : connections_) shutdown(fd, SHUT_RDWR);
  }
  for (std::thread& handler : handlers_) handler.join();
  for (int fd : connections_) close(fd);
  close(listener_);
}

void LoopbackServer::AcceptLoop() {
  while (!stopping_) {
    pollfd wait{listener_, POLLIN, 0};
    if (poll(&wait, 1, 100) <= 0) continue;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.push_back(fd);
    handlers_.emplace_back([this, fd] {
      behaviour_(fd, stopping_);
      shutdown(fd, SHUT_RDWR);
    });
  }
}

uint16_t ClosedPort(const std::string& address) {
  uint16_t port = 0;
  close(Listen(address, port, 1));
  return port;
}

std::string ReadRequestHead(int fd) {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    pollfd wait{fd, POLLIN, 0};
    if (poll(&wait, 1, 5000) <= 0) break;
    ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<size_t>(got));
  }
  return head;
}

bool SendAll(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

void Pause(int ms, const std::atomic<bool>& stopping) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stopping && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

LoopbackServer::Behaviour AnswerWith(std::string response) {
  return [response](int fd, const std::atomic<bool>&) {
    ReadRequestHead(fd);
    SendAll(fd, response);
  };
}

LoopbackServer::Behaviour EndlessBody() {
  return [](int fd, const std::atomic<bool>& stopping) {
    ReadRequestHead(fd);
    if (!SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")) return;
    std::string block(16384, 'x');
    while (!stopping && SendAll(fd, block)) {
    }
  };
}

LoopbackServer::Behaviour Trickle(int interval_ms) {
  return [interval_ms](int fd, const std::atomic<bool>& stopping) {
    ReadRequestHead(fd);
    if (!SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n")) return;
    while (!stopping && SendAll(fd, "t")) Pause(interval_ms, stopping);
  };
}

LoopbackServer::Behaviour CloseAtOnce() {
  return [](int, const std::atomic<bool>&) {};
}

}  // namespace quillet::testing
