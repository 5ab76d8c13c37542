#include "platform/win32/registry_settings_store.h"

#include <windows.h>

#include <vector>

#include "core/errors.h"
#include "platform/win32/win32_error.h"

namespace quillet {
namespace {

// Closes the key handle it was given when it goes out of scope.
class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

LONG OpenForReading(const std::string& subkey, KeyHandle& key) {
  return RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, key.out());
}

// The value's data as text: the bytes up to the string's terminating zero.
bool QueryText(HKEY key, const std::string& name, std::string& text) {
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  if (size > 0 && data[size - 1] == '\0') --size;
  text.assign(data.data(), size);
  return true;
}

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::string subkey) : subkey_(std::move(subkey)) {
  KeyHandle key;
  LONG status = OpenForReading(subkey_, key);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    problem_ = "The settings in the registry key 'HKEY_CURRENT_USER\\" + subkey_ +
               "' could not be read (error " + WindowsErrorText(status) +
               "). Quillet starts with its first-run settings.";
  }
}

std::string RegistrySettingsStore::DefaultSubkey() {
  return std::string("Software\\") + kSettingsApplication + "\\" + kSettingsSection;
}

bool RegistrySettingsStore::Contains(const std::string& name) const {
  KeyHandle key;
  if (OpenForReading(subkey_, key) != ERROR_SUCCESS) return false;
  return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

std::string RegistrySettingsStore::Read(const std::string& name,
                                        const std::string& fallback) const {
  KeyHandle key;
  std::string text;
  if (OpenForReading(subkey_, key) != ERROR_SUCCESS || !QueryText(key.get(), name, text)) {
    return fallback;
  }
  return text;
}

void RegistrySettingsStore::Save(const std::string& name, const std::string& value) {
  KeyHandle key;
  LONG status =
      RegCreateKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.out(), nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
  }
  if (status != ERROR_SUCCESS) {
    throw RunTimeError(kErrPermission, "Cannot write the setting '" + name +
                                           "' to the registry key 'HKEY_CURRENT_USER\\" + subkey_ +
                                           "': error " + WindowsErrorText(status));
  }
}

void RegistrySettingsStore::Delete(const std::string& name) {
  KeyHandle key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_SET_VALUE, key.out()) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(key.get(), name.c_str());
  }
}

}  // namespace quillet
