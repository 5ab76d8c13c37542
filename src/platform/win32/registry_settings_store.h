#pragma once
#include <string>

#include "app/settings_store.h"

namespace quillet {

// Settings as string values of one per-user registry key, by default
// HKEY_CURRENT_USER\Software\Brasklet\Quillet (application and section of the settings). The
// key is created by the first Save; reads of a missing key give the defaults.
class RegistrySettingsStore : public SettingsStore {
 public:
  // `subkey` lies below HKEY_CURRENT_USER.
  explicit RegistrySettingsStore(std::string subkey = DefaultSubkey());
  static std::string DefaultSubkey();

  bool Contains(const std::string& key) const override;
  std::string Read(const std::string& key, const std::string& fallback) const override;
  void Save(const std::string& key, const std::string& value) override;
  void Delete(const std::string& key) override;
  std::string OpenProblem() const override { return problem_; }

 private:
  std::string subkey_;
  std::string problem_;
};

}  // namespace quillet
