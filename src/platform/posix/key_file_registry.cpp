#include "platform/posix/key_file_registry.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <memory>

#include "app/settings_store.h"
#include "platform/posix/keyfile_settings_store.h"

namespace quillet {
namespace {

struct Roots {
  RegHandle handle;
  const char* name;
};
constexpr Roots kRoots[] = {{0x80000000, "HKEY_CLASSES_ROOT"},
                            {kHkeyCurrentUser, "HKEY_CURRENT_USER"},
                            {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"},
                            {0x80000003, "HKEY_USERS"},
                            {0x80000005, "HKEY_CURRENT_CONFIG"}};

std::string RootName(RegHandle root) {
  for (const Roots& known : kRoots) {
    if (known.handle == root) return known.name;
  }
  return "";
}

RegHandle RootHandle(const std::string& name) {
  for (const Roots& known : kRoots) {
    if (name == known.name) return known.handle;
  }
  return 0;
}

// More values than this in one key mean a damaged file.
constexpr int kMaxValuesPerKey = 4096;

struct Damaged {
  std::string reason;
};

struct FreeKeyFile {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, FreeKeyFile>;
struct FreeStrings {
  void operator()(gchar** strings) const { g_strfreev(strings); }
};

std::string Entry(const char* kind, size_t index) {
  return kind + std::to_string(index);
}

// String data with its final zero byte is kept readable; anything else as hexadecimal bytes.
bool IsPlainText(const MemoryRegistry::Value& value) {
  const std::string& data = value.data;
  return value.type == reg::kTypeString && !data.empty() && data.back() == '\0' &&
         data.find('\0') == data.size() - 1 && g_utf8_validate(data.data(), -1, nullptr);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) text += {kDigits[byte >> 4], kDigits[byte & 15]};
  return text;
}

std::string FromHex(const std::string& text) {
  if (text.size() % 2) throw Damaged{"hexadecimal data of odd length"};
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = g_ascii_xdigit_value(text[i]), low = g_ascii_xdigit_value(text[i + 1]);
    if (high < 0 || low < 0) throw Damaged{"hexadecimal data holds \"" + text.substr(i, 2) + "\""};
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

int ReadCount(GKeyFile* file, const char* group) {
  GError* error = nullptr;
  gint64 count = g_key_file_get_int64(file, group, "Values", &error);
  if (error) {
    g_error_free(error);
    throw Damaged{"the value count of a key is not a number"};
  }
  if (count < 0 || count > kMaxValuesPerKey) {
    throw Damaged{"a key holds " + std::to_string(count) + " values, at most " +
                  std::to_string(kMaxValuesPerKey) + " are allowed"};
  }
  return static_cast<int>(count);
}

void WriteValue(GKeyFile* file, const std::string& group, size_t index,
                const MemoryRegistry::Value& value) {
  g_key_file_set_string(file, group.c_str(), Entry("Name", index).c_str(), value.name.c_str());
  g_key_file_set_integer(file, group.c_str(), Entry("Type", index).c_str(),
                         static_cast<int>(value.type));
  if (IsPlainText(value)) {
    g_key_file_set_string(file, group.c_str(), Entry("Text", index).c_str(), value.data.c_str());
  } else {
    g_key_file_set_string(file, group.c_str(), Entry("Bytes", index).c_str(),
                          Hex(value.data).c_str());
  }
}

std::string ReadString(GKeyFile* file, const char* group, const std::string& key) {
  gchar* text = g_key_file_get_string(file, group, key.c_str(), nullptr);
  std::string value = text ? text : "";
  g_free(text);
  return value;
}

MemoryRegistry::KeyRecord ReadKey(GKeyFile* file, const char* group) {
  std::string name = group;
  size_t slash = name.find('\\');
  MemoryRegistry::KeyRecord record{RootHandle(name.substr(0, slash)),
                                   slash == std::string::npos ? "" : name.substr(slash + 1),
                                   {}};
  if (MemoryRegistry::PathDepth(record.path) > MemoryRegistry::kMaxDepth) {
    throw Damaged{"a key lies deeper than " + std::to_string(MemoryRegistry::kMaxDepth) +
                  " levels"};
  }
  int count = ReadCount(file, group);
  for (int i = 0; i < count; ++i) {
    MemoryRegistry::Value value;
    value.name = ReadString(file, group, Entry("Name", static_cast<size_t>(i)));
    value.type = static_cast<uint32_t>(g_key_file_get_integer(
        file, group, Entry("Type", static_cast<size_t>(i)).c_str(), nullptr));
    if (g_key_file_has_key(file, group, Entry("Text", static_cast<size_t>(i)).c_str(), nullptr)) {
      value.data = ReadString(file, group, Entry("Text", static_cast<size_t>(i))) + '\0';
    } else {
      value.data = FromHex(ReadString(file, group, Entry("Bytes", static_cast<size_t>(i))));
    }
    record.values.push_back(value);
  }
  return record;
}

}  // namespace

KeyFileRegistry::KeyFileRegistry(std::string path) : path_(std::move(path)) {
  Load();
}

std::string KeyFileRegistry::DefaultPath() {
  return std::string(g_get_user_config_dir()) + "/" + kSettingsApplication + "/Registry.conf";
}

void KeyFileRegistry::Load() {
  if (!g_file_test(path_.c_str(), G_FILE_TEST_EXISTS)) return;
  KeyFile file(g_key_file_new());
  std::string reason;
  if (LoadKeyFile(file.get(), path_, G_KEY_FILE_NONE, reason)) {
    std::unique_ptr<gchar*, FreeStrings> groups(g_key_file_get_groups(file.get(), nullptr));
    std::vector<KeyRecord> records;
    try {
      for (gchar** group = groups.get(); *group; ++group) {
        KeyRecord record = ReadKey(file.get(), *group);
        if (record.root != 0 && !record.path.empty()) records.push_back(std::move(record));
      }
      for (const KeyRecord& record : records) Add(record);
      return;
    } catch (const Damaged& damage) {
      reason = damage.reason;
    }
  }
  // A damaged file is kept aside rather than overwritten by the next change.
  problem_ = KeepUnreadableFile(path_, "registry file", reason,
                                "Quillet starts without the entries it kept there.");
}

bool KeyFileRegistry::Changed() {
  KeyFile file(g_key_file_new());
  for (const KeyRecord& key : Keys()) {
    std::string group = RootName(key.root) + "\\" + key.path;
    g_key_file_set_integer(file.get(), group.c_str(), "Values",
                           static_cast<int>(key.values.size()));
    for (size_t i = 0; i < key.values.size(); ++i) WriteValue(file.get(), group, i, key.values[i]);
  }
  gchar* folder = g_path_get_dirname(path_.c_str());
  g_mkdir_with_parents(folder, 0700);
  g_free(folder);
  return g_key_file_save_to_file(file.get(), path_.c_str(), nullptr);
}

}  // namespace quillet
