#include "net/yielding_resolver.h"

#include "app/yielding_call.h"

namespace quillet {

std::optional<std::string> YieldingResolver::LocalHostName(int& error) {
  auto answer = CallYielding(ui_, [this] {
    int code = 0;
    auto name = inner_.LocalHostName(code);
    return std::make_pair(name, code);
  });
  error = answer.second;
  return answer.first;
}

std::optional<std::vector<std::string>> YieldingResolver::HostAddresses(const std::string& name) {
  return CallYielding(ui_, [this, name] { return inner_.HostAddresses(name); });
}

std::optional<std::string> YieldingResolver::HostName(const std::string& address) {
  return CallYielding(ui_, [this, address] { return inner_.HostName(address); });
}

}  // namespace quillet
