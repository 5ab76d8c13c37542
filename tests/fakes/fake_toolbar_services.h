#pragma once
// Identifiers counted up from 1, and a launcher-entry folder in memory.
#include <set>
#include <string>

#include "browser/toolbar_button.h"

namespace quillet::testing {

class CountingGuidSource : public GuidSource {
 public:
  uint32_t next = 1;
  bool fail = false;
  std::optional<Guid> NewGuid() override {
    if (fail) return std::nullopt;
    Guid guid;
    guid.data1 = next++;
    return guid;
  }
};

class MemoryToolbarShortcut : public ToolbarShortcut {
 public:
  std::set<std::string> installed;
  void Install(const std::string& id, const std::string&) override { installed.insert(id); }
  void Remove(const std::string& id) override { installed.erase(id); }
};

}  // namespace quillet::testing
