#pragma once
// Small TCP servers on loopback addresses that play proxies in tests, under Linux and Windows
// alike: each accepted connection has its request head read and kept, then goes to a behaviour
// on its own thread. Everything stops with the object.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillet::testing {

using Socket = std::intptr_t;  // a descriptor under Linux, a SOCKET under Windows

class LoopbackServer {
 public:
  // Gets the connected socket and a flag that turns true when the server stops.
  using Behaviour = std::function<void(Socket connection, const std::atomic<bool>& stopping)>;

  // Listens on address:port (any free port for 0; throws when it cannot). With
  // `accept_connections` false nobody ever accepts: the kernel completes connections into the
  // backlog and they stay silent. With `read_head` false the behaviour reads the request itself
  // (for proxies whose client speaks first in another protocol).
  LoopbackServer(const std::string& address, Behaviour behaviour, bool accept_connections = true,
                 uint16_t port = 0, bool read_head = true);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t port() const { return port_; }
  std::string proxy() const { return address_ + ":" + std::to_string(port_); }
  std::vector<std::string> requests();  // the request heads received so far, in order

 private:
  void AcceptLoop();

  std::shared_ptr<void> sockets_;  // Windows Sockets stay started while the server lives
  std::string address_;
  Behaviour behaviour_;
  Socket listener_ = -1;
  uint16_t port_ = 0;
  bool read_head_ = true;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<Socket> connections_;
  std::vector<std::string> requests_;
  std::vector<std::thread> handlers_;
};

// A port on `address` on which nothing listens (connections are refused).
uint16_t ClosedPort(const std::string& address);

// For behaviours of a test's own: sends all of `data` (false once the peer is gone); waits
// `ms`, returning early when the server stops.
bool SendAll(Socket fd, const std::string& data);
void Pause(int ms, const std::atomic<bool>& stopping);

// Behaviours, each after the request head was read.
LoopbackServer::Behaviour AnswerWith(std::string response);  // answers, closes
LoopbackServer::Behaviour Trickle(int interval_ms);          // 200, then one byte per interval
LoopbackServer::Behaviour Flood(int mebibytes);              // 200, then that many MiB
LoopbackServer::Behaviour CloseAtOnce();                     // closes without a word
LoopbackServer::Behaviour Silent();                          // never answers

}  // namespace quillet::testing
