#pragma once
// The connection-options component as a store of values per connection and option, with every
// write kept in order. An option never written reads as empty text with flags 1 (direct).
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "browser/connection_proxy.h"
#include "core/errors.h"

namespace quillet::testing {

class MemoryConnectionProxy : public ConnectionProxyComponent {
 public:
  struct Write {
    std::string connection;
    std::string value;
    int32_t flags;
  };
  std::map<std::pair<int32_t, std::string>, std::pair<std::string, int32_t>> options;
  std::vector<Write> writes;
  int reads = 0;
  int fail_after_reads = -1;  // throws on the read after this many
  std::string notice;         // which programs follow, said once
  std::string problem;        // met while opening the settings
  std::string refusal;        // CheckValues refuses every value with this reason

  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override {
    options[{option, connection}] = {value, flags};
    writes.push_back({connection, value, flags});
  }
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override {
    if (reads++ == fail_after_reads) throw RunTimeError(429, "Component cannot be created");
    auto found = options.find({option, connection});
    value = found == options.end() ? "" : found->second.first;
    flags = found == options.end() ? 1 : found->second.second;
  }
  std::string OpenProblem() const override { return problem; }
  void CheckValues(const std::string&, const std::string&) override {
    if (!refusal.empty()) throw TypingMistake(refusal);
  }
  std::string TakeFollowersNotice() override { return std::exchange(notice, ""); }
  void Put(const std::string& connection, const std::string& server, int32_t flags,
           const std::string& bypass = "") {
    options[{kProxyOptionServer, connection}] = {server, flags};
    options[{kProxyOptionBypass, connection}] = {bypass, 3};
  }
};

}  // namespace quillet::testing
