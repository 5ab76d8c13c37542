#pragma once
// Small TCP servers on loopback addresses that play misbehaving proxies in tests: each accepted
// connection is handed to a behaviour on its own thread. Everything stops with the object.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillet::testing {

class LoopbackServer {
 public:
  // Gets the connected socket and a flag that turns true when the server stops.
  using Behaviour = std::function<void(int fd, const std::atomic<bool>& stopping)>;

  // Listens on address:port (any free port for 0). With `accept_connections` false nobody ever
  // accepts: the kernel completes connections into the backlog and they stay silent (a black hole).
  LoopbackServer(const std::string& address, Behaviour behaviour, bool accept_connections = true,
                 uint16_t port = 0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t port() const { return port_; }
  std::string proxy() const { return address_ + ":" + std::to_string(port_); }

 private:
  void AcceptLoop();

  std::string address_;
  Behaviour behaviour_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<int> connections_;
  std::vector<std::thread> handlers_;
};

// A port on `address` on which nothing listens (connections are refused).
uint16_t ClosedPort(const std::string& address);

// Helpers for behaviours.
std::string ReadRequestHead(int fd);                    // up to the blank line (or 64 KiB)
bool SendAll(int fd, const std::string& data);          // false once the peer is gone
void Pause(int ms, const std::atomic<bool>& stopping);  // returns early when stopping

// Behaviours of misbehaving proxies.
LoopbackServer::Behaviour AnswerWith(std::string response);  // reads the request, answers, closes
LoopbackServer::Behaviour EndlessBody();                     // 200, then body bytes forever
LoopbackServer::Behaviour Trickle(int interval_ms);          // 200, then one byte per interval
LoopbackServer::Behaviour CloseAtOnce();                     // closes without a word

}  // namespace quillet::testing
