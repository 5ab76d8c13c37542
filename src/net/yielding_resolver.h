#pragma once
// A Resolver that runs each look-up of another Resolver on a worker thread and lets the window
// handle its events while it waits, so a slow name service never freezes the window. The
// caller still sees one synchronous call, so the order of effects is unchanged.
#include "app/user_interface.h"
#include "net/resolver.h"

namespace quillet {

class YieldingResolver : public Resolver {
 public:
  YieldingResolver(Resolver& inner, UserInterface& ui) : inner_(inner), ui_(ui) {}

  SocketStartup Startup() override { return inner_.Startup(); }
  int Cleanup() override { return inner_.Cleanup(); }
  std::optional<std::string> LocalHostName(int& error) override;
  std::optional<std::vector<std::string>> HostAddresses(const std::string& name) override;
  std::optional<std::string> HostName(const std::string& address) override;

 private:
  Resolver& inner_;
  UserInterface& ui_;
};

}  // namespace quillet
