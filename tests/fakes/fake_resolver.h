#pragma once
// A name service from tables: names to address lists, addresses to names, and a scripted
// library start-up and release.
#include <map>
#include <string>
#include <vector>

#include "verify/resolver.h"

namespace quillet::testing {

class FakeResolver : public Resolver {
 public:
  SocketStartup startup;
  int cleanup_result = 0;
  std::optional<std::string> host_name = std::string("quillet-test");
  int host_name_error = 0;
  std::map<std::string, std::vector<std::string>> addresses;
  std::map<std::string, std::string> names;

  int startups = 0;
  int cleanups = 0;
  std::vector<std::string> forward_lookups;
  std::vector<std::string> reverse_lookups;

  SocketStartup Startup() override {
    ++startups;
    return startup;
  }
  int Cleanup() override {
    ++cleanups;
    return cleanup_result;
  }
  std::optional<std::string> LocalHostName(int& error) override {
    error = host_name_error;
    return host_name;
  }
  std::optional<std::vector<std::string>> HostAddresses(const std::string& name) override {
    forward_lookups.push_back(name);
    auto found = addresses.find(name);
    if (found == addresses.end()) return std::nullopt;
    return found->second;
  }
  std::optional<std::string> HostName(const std::string& address) override {
    reverse_lookups.push_back(address);
    auto found = names.find(address);
    if (found == names.end()) return std::nullopt;
    return found->second;
  }
};

}  // namespace quillet::testing
