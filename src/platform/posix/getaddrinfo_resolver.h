#pragma once
// The resolver on Unix: no library start-up, gethostname, getaddrinfo and getnameinfo, IPv4 only.
#include "net/resolver.h"

namespace quillet {

class GetAddrInfoResolver : public Resolver {
 public:
  SocketStartup Startup() override;
  int Cleanup() override { return 0; }
  std::optional<std::string> LocalHostName(int& error) override;
  std::optional<std::vector<std::string>> HostAddresses(const std::string& name) override;
  std::optional<std::string> HostName(const std::string& address) override;
};

}  // namespace quillet
