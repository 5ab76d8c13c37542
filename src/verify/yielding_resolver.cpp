#include "verify/yielding_resolver.h"

#include <chrono>
#include <future>

namespace quillet {

template <class Call>
auto YieldingResolver::Wait(Call call) -> decltype(call()) {
  // The worker owns its own copy of the arguments; the future's destructor joins it.
  auto result = std::async(std::launch::async, std::move(call));
  while (result.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready) {
    ui_.ProcessPendingEvents();
  }
  return result.get();
}

std::optional<std::string> YieldingResolver::LocalHostName(int& error) {
  auto answer = Wait([this] {
    int code = 0;
    auto name = inner_.LocalHostName(code);
    return std::make_pair(name, code);
  });
  error = answer.second;
  return answer.first;
}

std::optional<std::vector<std::string>> YieldingResolver::HostAddresses(const std::string& name) {
  return Wait([this, name] { return inner_.HostAddresses(name); });
}

std::optional<std::string> YieldingResolver::HostName(const std::string& address) {
  return Wait([this, address] { return inner_.HostName(address); });
}

}  // namespace quillet
