#pragma once
#include <glib.h>

#include <string>

#include "app/settings_store.h"

namespace quillet {

// A key file larger than this is taken as damaged, not read.
constexpr long kMaxKeyFileBytes = 1L << 20;

// Reads a key file; false with the reason when it is missing, too large or damaged.
bool LoadKeyFile(GKeyFile* file, const std::string& path, GKeyFileFlags flags, std::string& reason);

// Moves an unreadable file aside and answers the sentence that says so at start.
std::string KeepUnreadableFile(const std::string& path, const std::string& what,
                               const std::string& reason, const std::string& consequence);

// Settings in a per-user key file, $XDG_CONFIG_HOME/Brasklet/Quillet.conf, group [Quillet].
// Every Save and SaveAll rewrites the file once, atomically (write a temporary file, then
// rename).
class KeyFileSettingsStore : public SettingsStore {
 public:
  // Reads the file at `path`. An unreadable file is kept aside under a new name and reported
  // through OpenProblem(); the store then starts empty.
  explicit KeyFileSettingsStore(std::string path);
  ~KeyFileSettingsStore() override;
  KeyFileSettingsStore(const KeyFileSettingsStore&) = delete;
  KeyFileSettingsStore& operator=(const KeyFileSettingsStore&) = delete;

  // $XDG_CONFIG_HOME (or ~/.config) + "/Brasklet/Quillet.conf".
  static std::string DefaultPath();

  bool Contains(const std::string& key) const override;
  std::string Read(const std::string& key, const std::string& fallback) const override;
  void Save(const std::string& key, const std::string& value) override;
  void SaveAll(const std::vector<std::pair<std::string, std::string>>& values) override;
  void Delete(const std::string& key) override;
  std::string OpenProblem() const override { return problem_; }
  // Adds the start-up problem of another file (the registry's), shown with this one's.
  void NoteOpenProblem(const std::string& problem);

 private:
  void Load();
  void WriteFile();

  std::string path_;
  GKeyFile* file_;
  std::string problem_;
};

}  // namespace quillet
