#pragma once
// Settings held in memory, with the order of every write kept for tests.
#include <map>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "core/errors.h"

namespace quillet::testing {

class MemorySettingsStore : public SettingsStore {
 public:
  std::map<std::string, std::string> values;
  std::vector<std::string> save_order;
  std::string problem;
  bool refuse_writes = false;  // every save throws, as a store on a full or read-only disk
  int batches = 0;

  bool Contains(const std::string& key) const override { return values.count(key) > 0; }
  std::string Read(const std::string& key, const std::string& fallback) const override {
    auto found = values.find(key);
    return found == values.end() ? fallback : found->second;
  }
  void Save(const std::string& key, const std::string& value) override { SaveAll({{key, value}}); }
  void SaveAll(const std::vector<std::pair<std::string, std::string>>& batch) override {
    if (refuse_writes) throw RunTimeError(kErrFileIo, "Cannot write the settings");
    ++batches;
    for (const auto& [key, value] : batch) {
      values[key] = value;
      save_order.push_back(key);
    }
  }
  void Delete(const std::string& key) override { values.erase(key); }
  std::string OpenProblem() const override { return problem; }
};

}  // namespace quillet::testing
