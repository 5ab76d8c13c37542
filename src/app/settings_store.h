#pragma once
// Persisted per-user strings. The program always uses application "Brasklet", section "Quillet";
// the adapter decides where they live.
#include <string>
#include <utility>
#include <vector>

namespace quillet {

inline constexpr const char* kSettingsApplication = "Brasklet";
inline constexpr const char* kSettingsSection = "Quillet";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool Contains(const std::string& key) const = 0;
  // The stored value, or `fallback` when the key does not exist.
  virtual std::string Read(const std::string& key, const std::string& fallback = "") const = 0;
  // Creates or replaces the value. Throws RunTimeError when it cannot be made lasting.
  virtual void Save(const std::string& key, const std::string& value) = 0;
  // Creates or replaces several values, in order. A store that keeps its values in one file
  // writes them in one replacement of that file, so they are all kept or none.
  virtual void SaveAll(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) Save(key, value);
  }
  virtual void Delete(const std::string& key) = 0;
  // Empty, or a sentence for the user when the stored settings could not be read at start.
  virtual std::string OpenProblem() const = 0;
};

}  // namespace quillet
