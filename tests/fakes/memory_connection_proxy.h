#pragma once
// The connection-options component as a store of values per connection and option, with every
// write kept in order. An option never written reads as empty text with flags 1 (direct).
#include <map>
#include <optional>
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
  FollowersNotice notice;     // which programs follow, said once
  std::string refusal;        // CheckValues refuses every value with this reason
  std::optional<std::pair<std::string, int32_t>> kept;  // the server before the first Apply

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
  void CheckValues(const std::string&, int32_t, const std::string&) override {
    if (!refusal.empty()) throw TypingMistake(refusal);
    if (!kept) kept = options[{kProxyOptionServer, ""}];
  }
  FollowersNotice FinishApply() override { return std::exchange(notice, {}); }
  bool HasKeptSettings() const override { return kept.has_value(); }
  void RestoreKeptSettings() override {
    if (!kept) ConnectionProxyComponent::RestoreKeptSettings();
    options[{kProxyOptionServer, ""}] = *std::exchange(kept, std::nullopt);
  }
  void Put(const std::string& connection, const std::string& server, int32_t flags,
           const std::string& bypass = "") {
    options[{kProxyOptionServer, connection}] = {server, flags};
    options[{kProxyOptionBypass, connection}] = {bypass, 3};
  }
};

}  // namespace quillet::testing
