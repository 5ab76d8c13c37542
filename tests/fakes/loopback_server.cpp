#include "fakes/loopback_server.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <stdexcept>

namespace quillet::testing {
namespace {

#ifdef _WIN32
using Length = int;
constexpr int kNoInherit = 0, kNoSignal = 0, kBothWays = SD_BOTH;
int poll(pollfd* wait, unsigned long count, int timeout) {
  return WSAPoll(wait, count, timeout);
}
void Close(Socket socket) {
  closesocket(static_cast<SOCKET>(socket));
}
std::shared_ptr<void> StartSockets() {
  WSADATA data;
  WSAStartup(0x0202, &data);
  return std::shared_ptr<void>(nullptr, [](void*) { WSACleanup(); });
}
#else
using Length = socklen_t;
constexpr int kNoInherit = SOCK_CLOEXEC, kNoSignal = MSG_NOSIGNAL, kBothWays = SHUT_RDWR;
void Close(Socket socket) {
  close(static_cast<int>(socket));
}
std::shared_ptr<void> StartSockets() {
  return nullptr;
}
#endif

Socket Listen(const std::string& address, uint16_t& port, int backlog) {
  Socket fd = static_cast<Socket>(socket(AF_INET, SOCK_STREAM | kNoInherit, 0));
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &where.sin_addr);
  Length size = sizeof where;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&where), size) != 0 ||
      listen(fd, backlog) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size)) {
    if (fd >= 0) Close(fd);
    throw std::runtime_error("cannot listen on " + address);
  }
  port = ntohs(where.sin_port);
  return fd;
}

// The request up to its blank line (at most 64 KiB; gives up after 5 s of silence).
std::string ReadRequestHead(Socket fd) {
  std::string head;
  char buffer[1024];
  pollfd wait{static_cast<decltype(pollfd::fd)>(fd), POLLIN, 0};
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 &&
         poll(&wait, 1, 5000) > 0) {
    auto got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<size_t>(got));
  }
  return head;
}

}  // namespace

bool SendAll(Socket fd, const std::string& data) {
  for (size_t sent = 0; sent < data.size();) {
    auto n = send(fd, data.data() + sent, static_cast<int>(data.size() - sent), kNoSignal);
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

LoopbackServer::LoopbackServer(const std::string& address, Behaviour behaviour,
                               bool accept_connections, uint16_t port, bool read_head)
    : sockets_(StartSockets()), address_(address), behaviour_(std::move(behaviour)) {
  port_ = port;
  read_head_ = read_head;
  listener_ = Listen(address, port_, 64);
  if (accept_connections) acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Socket fd : connections_) shutdown(fd, kBothWays);
  }
  for (std::thread& handler : handlers_) handler.join();
  for (Socket fd : connections_) Close(fd);
  Close(listener_);
}

std::vector<std::string> LoopbackServer::requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackServer::AcceptLoop() {
  while (!stopping_) {
    pollfd wait{static_cast<decltype(pollfd::fd)>(listener_), POLLIN, 0};
    if (poll(&wait, 1, 100) <= 0) continue;
    Socket fd = static_cast<Socket>(accept(listener_, nullptr, nullptr));
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.push_back(fd);
    handlers_.emplace_back([this, fd] {
      if (read_head_) {
        std::string head = ReadRequestHead(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(head);
      }
      behaviour_(fd, stopping_);
      shutdown(fd, kBothWays);
    });
  }
}

uint16_t ClosedPort(const std::string& address) {
  auto sockets = StartSockets();
  uint16_t port = 0;
  Close(Listen(address, port, 1));
  return port;
}

LoopbackServer::Behaviour AnswerWith(std::string response) {
  return [response](Socket fd, const std::atomic<bool>&) { SendAll(fd, response); };
}

LoopbackServer::Behaviour Trickle(int interval_ms) {
  return [interval_ms](Socket fd, const std::atomic<bool>& stopping) {
    bool open = SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
    while (open && !stopping) {
      open = SendAll(fd, "t");
      Pause(interval_ms, stopping);
    }
  };
}

LoopbackServer::Behaviour Flood(int mebibytes) {
  return [mebibytes](Socket fd, const std::atomic<bool>& stopping) {
    bool open = SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
    for (int sent = 0; open && !stopping && sent < mebibytes; ++sent)
      open = SendAll(fd, std::string(1 << 20, '1'));
  };
}

LoopbackServer::Behaviour CloseAtOnce() {
  return [](Socket, const std::atomic<bool>&) {};
}

LoopbackServer::Behaviour Silent() {
  return [](Socket, const std::atomic<bool>& stopping) { Pause(24 * 3600 * 1000, stopping); };
}

}  // namespace quillet::testing
