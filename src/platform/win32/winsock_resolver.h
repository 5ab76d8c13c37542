#pragma once
#include "net/resolver.h"

namespace quillet {

// Windows Sockets 1.1: WSAStartup/WSACleanup and the name service of gethostname,
// gethostbyname, gethostbyaddr and inet_addr.
class WinsockResolver : public Resolver {
 public:
  // Asks for version 1.1 and reports what the library granted.
  SocketStartup Startup() override;
  int Cleanup() override;
  std::optional<std::string> LocalHostName(int& error) override;
  // A look-up made while the library is not started starts it for that look-up alone.
  std::optional<std::vector<std::string>> HostAddresses(const std::string& name) override;
  std::optional<std::string> HostName(const std::string& address) override;
};

}  // namespace quillet
