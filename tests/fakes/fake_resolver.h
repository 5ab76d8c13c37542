#pragma once
// A name service from tables: names to address lists and addresses to names, on the host
// "quillet-test" whose socket library always starts. Address look-ups may be made slow.
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "net/resolver.h"

namespace quillet::testing {

class FakeResolver : public Resolver {
 public:
  std::map<std::string, std::vector<std::string>> addresses;
  std::map<std::string, std::string> names;
  std::chrono::milliseconds delay{0};  // how long each address look-up takes

  SocketStartup Startup() override { return {}; }
  int Cleanup() override { return 0; }
  std::optional<std::string> LocalHostName(int& error) override {
    error = 0;
    return "quillet-test";
  }
  std::optional<std::vector<std::string>> HostAddresses(const std::string& name) override {
    std::this_thread::sleep_for(delay);
    auto found = addresses.find(name);
    if (found == addresses.end()) return std::nullopt;
    return found->second;
  }
  std::optional<std::string> HostName(const std::string& address) override {
    auto found = names.find(address);
    if (found == names.end()) return std::nullopt;
    return found->second;
  }
};

}  // namespace quillet::testing
