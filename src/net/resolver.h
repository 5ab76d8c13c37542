#pragma once
// The resolver port: the platform's socket library start-up and release, and its name service.
// Addresses are IPv4 only, as dotted decimal text.
#include <optional>
#include <string>
#include <vector>

namespace quillet {

// What the library granted at start-up. `result` is 0 on success.
struct SocketStartup {
  int result = 0;
  int major = 1;
  int minor = 1;
  int max_sockets = 1;
};

class Resolver {
 public:
  virtual ~Resolver() = default;
  virtual SocketStartup Startup() = 0;
  // Releases one start-up; 0 on success, else the library's failure result (normally -1).
  virtual int Cleanup() = 0;
  // The local host's name; nullopt on failure, with the library's error code in `error`.
  virtual std::optional<std::string> LocalHostName(int& error) = 0;
  // The IPv4 addresses of a host name in the resolver's order; nullopt when it does not resolve.
  virtual std::optional<std::vector<std::string>> HostAddresses(const std::string& name) = 0;
  // The name of a dotted address (reverse look-up); nullopt when there is none.
  virtual std::optional<std::string> HostName(const std::string& address) = 0;
};

}  // namespace quillet
