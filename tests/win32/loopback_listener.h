#pragma once
// A small Winsock server on a loopback address and a port picked at run time, for the Windows
// adapter tests: each connection's request head is recorded, then the scripted answer is sent
// (or, for a silent server, nothing until the server goes).
#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillet::testing {

class LoopbackListener {
 public:
  // `answer` empty: the server reads the request and stays silent.
  LoopbackListener(const std::string& address, std::string answer);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  bool listening() const { return listener_ != INVALID_SOCKET; }
  std::string proxy() const { return address_ + ":" + std::to_string(port_); }
  std::vector<std::string> requests();

 private:
  void Serve();

  std::string address_;
  std::string answer_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread server_;
};

}  // namespace quillet::testing
