#pragma once
// The judge and real proxy servers (tinyproxy, squid) for end-to-end tests, each on its own
// loopback address and a port picked at run time, each with its own configuration and files in
// a temporary folder.
#include <cstdint>
#include <memory>
#include <string>

#include "e2e/child_process.h"

namespace quillet::testing {

struct RunningServer {
  std::unique_ptr<ChildProcess> process;
  std::string address;
  uint16_t port = 0;
  std::string log;  // path of the server's output
  std::string proxy() const { return address + ":" + std::to_string(port); }
  explicit operator bool() const { return process != nullptr; }
};

// The quillet-judge program of this build, listening on address and any free port.
RunningServer StartJudge(const TempFolder& folder, const std::string& address);

// tinyproxy listening on `listen`, connecting out from `bind`. `extra` holds more configuration
// lines (for example "XTinyproxy Yes"). Empty result when tinyproxy is missing or did not start.
RunningServer StartTinyproxy(const TempFolder& folder, const std::string& listen,
                             const std::string& bind, const std::string& extra);

// microsocks (a SOCKS5 server) listening on `listen`, connecting out from `bind`.
RunningServer StartMicrosocks(const TempFolder& folder, const std::string& listen,
                              const std::string& bind);

// squid likewise (as root it drops to the "proxy" user, which gets the folder).
RunningServer StartSquid(const TempFolder& folder, const std::string& listen,
                         const std::string& extra);

}  // namespace quillet::testing
