#pragma once
// The judge as an embedded HTTP server (libmicrohttpd): it answers every GET with JudgePage.
// Header size, connection count and idle time are bounded.
#include <cstdint>
#include <memory>
#include <string>

struct MHD_Daemon;

namespace quillet::judge {

struct ServerOptions {
  std::string address = "127.0.0.1";  // IPv4 address to listen on
  uint16_t port = 0;                  // 0: any free port
  unsigned max_connections = 10000;
  unsigned idle_timeout_s = 30;
  size_t memory_per_connection = 32 * 1024;  // bounds the request head
  unsigned threads = 2;
};

class JudgeServer {
 public:
  // Starts listening at once; check running() and error().
  explicit JudgeServer(const ServerOptions& options);
  ~JudgeServer();
  JudgeServer(const JudgeServer&) = delete;
  JudgeServer& operator=(const JudgeServer&) = delete;

  bool running() const { return daemon_ != nullptr; }
  const std::string& error() const { return error_; }
  uint16_t port() const { return port_; }

 private:
  MHD_Daemon* daemon_ = nullptr;
  uint16_t port_ = 0;
  std::string error_;
};

}  // namespace quillet::judge
