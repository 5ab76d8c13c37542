#include "platform/posix/keyfile_settings_store.h"

#include <glib/gstdio.h>
#include <sys/stat.h>

#include <ctime>

#include "core/encoding.h"
#include "core/errors.h"
#include "core/paths.h"

namespace quillet {
namespace {

std::string TakeMessage(GError* error) {
  std::string message = error ? error->message : "unknown error";
  if (error) g_error_free(error);
  return message;
}

}  // namespace

KeyFileSettingsStore::KeyFileSettingsStore(std::string path)
    : path_(std::move(path)), file_(g_key_file_new()) {
  Load();
}

KeyFileSettingsStore::~KeyFileSettingsStore() {
  g_key_file_free(file_);
}

std::string KeyFileSettingsStore::DefaultPath() {
  return std::string(g_get_user_config_dir()) + "/" + kSettingsApplication + "/Quillet.conf";
}

std::string KeepUnreadableFile(const std::string& path, const std::string& what,
                               const std::string& reason, const std::string& consequence) {
  std::string kept = path + ".unreadable-" + std::to_string(std::time(nullptr));
  bool moved = g_rename(path.c_str(), kept.c_str()) == 0;
  std::string problem =
      "The " + what + " '" + path + "' could not be read (" + reason + "). " + consequence;
  return problem + (moved ? " The unreadable file was kept as '" + kept + "'."
                          : " The unreadable file could not be moved aside and will be replaced.");
}

bool LoadKeyFile(GKeyFile* file, const std::string& path, GKeyFileFlags flags,
                 std::string& reason) {
  GStatBuf status;
  if (g_stat(path.c_str(), &status) == 0) {
    // Opening a FIFO or a device would wait, or read, without end.
    if (!S_ISREG(status.st_mode)) {
      reason = WhyNotAFile(path);
      return false;
    }
    if (status.st_size > kMaxKeyFileBytes) {
      reason = "larger than " + std::to_string(kMaxKeyFileBytes >> 20) + " MiB";
      return false;
    }
  }
  GError* error = nullptr;
  if (g_key_file_load_from_file(file, path.c_str(), flags, &error)) return true;
  // GLib's message quotes the bad line whole, however long it is.
  reason = QuotedAtMost(TakeMessage(error), kQuotedCharacters);
  return false;
}

void KeyFileSettingsStore::Load() {
  if (!g_file_test(path_.c_str(), G_FILE_TEST_EXISTS)) return;
  std::string reason;
  if (LoadKeyFile(file_, path_, G_KEY_FILE_KEEP_COMMENTS, reason)) return;
  g_key_file_free(file_);
  file_ = g_key_file_new();
  problem_ = KeepUnreadableFile(path_, "settings file", reason,
                                "Quillet starts with its first-run settings.");
}

void KeyFileSettingsStore::NoteOpenProblem(const std::string& problem) {
  if (problem.empty()) return;
  problem_ += (problem_.empty() ? "" : "\n") + problem;
}

bool KeyFileSettingsStore::Contains(const std::string& key) const {
  return g_key_file_has_key(file_, kSettingsSection, key.c_str(), nullptr);
}

std::string KeyFileSettingsStore::Read(const std::string& key, const std::string& fallback) const {
  if (!Contains(key)) return fallback;
  if (gchar* text = g_key_file_get_string(file_, kSettingsSection, key.c_str(), nullptr)) {
    std::string value = text;
    g_free(text);
    return value;
  }
  // Not valid UTF-8: hand back the bytes as stored.
  gchar* raw = g_key_file_get_value(file_, kSettingsSection, key.c_str(), nullptr);
  std::string value = raw ? raw : "";
  g_free(raw);
  return value;
}

void KeyFileSettingsStore::Save(const std::string& key, const std::string& value) {
  g_key_file_set_string(file_, kSettingsSection, key.c_str(), value.c_str());
  WriteFile();
}

void KeyFileSettingsStore::SaveAll(const std::vector<std::pair<std::string, std::string>>& values) {
  if (values.empty()) return;
  for (const auto& [key, value] : values) {
    g_key_file_set_string(file_, kSettingsSection, key.c_str(), value.c_str());
  }
  WriteFile();
}

void KeyFileSettingsStore::Delete(const std::string& key) {
  if (!Contains(key)) return;
  g_key_file_remove_key(file_, kSettingsSection, key.c_str(), nullptr);
  WriteFile();
}

void KeyFileSettingsStore::WriteFile() {
  gchar* folder = g_path_get_dirname(path_.c_str());
  g_mkdir_with_parents(folder, 0700);
  g_free(folder);
  GError* error = nullptr;
  if (!g_key_file_save_to_file(file_, path_.c_str(), &error)) {
    throw RunTimeError(kErrFileIo,
                       "Cannot write the settings file '" + path_ + "': " + TakeMessage(error));
  }
}

}  // namespace quillet
