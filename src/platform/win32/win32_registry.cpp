#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <vector>

namespace quillet {
namespace {

// The predefined keys are 32-bit numbers in the program and sign-extended handles on 64-bit
// Windows; every other handle is passed through as it came from Windows.
HKEY ToHkey(RegHandle handle) {
  if (handle >= 0x80000000u && handle <= 0x80000006u) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(handle)));
  }
  return reinterpret_cast<HKEY>(handle);
}

RegHandle FromHkey(HKEY key) {
  return reinterpret_cast<RegHandle>(key);
}

constexpr DWORD kLongestValueName = 16383;  // characters, without the terminating zero

}  // namespace

long Win32Registry::OpenKey(RegHandle root, const std::string& path, uint32_t access,
                            RegHandle& key) {
  HKEY opened = nullptr;
  LONG result = RegOpenKeyExA(ToHkey(root), path.c_str(), 0, access, &opened);
  key = result == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return result;
}

long Win32Registry::CreateKey(RegHandle root, const std::string& path, uint32_t access,
                              RegHandle& key, uint32_t& disposition) {
  HKEY created = nullptr;
  DWORD how = 0;
  LONG result = RegCreateKeyExA(ToHkey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                access, nullptr, &created, &how);
  key = result == ERROR_SUCCESS ? FromHkey(created) : 0;
  disposition = how;
  return result;
}

long Win32Registry::CloseKey(RegHandle key) {
  return RegCloseKey(ToHkey(key));
}

long Win32Registry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
  char class_name[25] = {};
  DWORD class_length = sizeof class_name;
  DWORD subkeys = 0, max_subkey = 0, max_class = 0, values = 0, max_name = 0, max_data = 0;
  LONG result =
      RegQueryInfoKeyA(ToHkey(key), class_name, &class_length, nullptr, &subkeys, &max_subkey,
                       &max_class, &values, &max_name, &max_data, nullptr, nullptr);
  if (result == ERROR_SUCCESS) info = {max_name, max_data, max_subkey};
  return result;
}

long Win32Registry::EnumValue(RegHandle key, uint32_t index, std::string* name,
                              uint32_t name_capacity, std::string* data, uint32_t data_capacity) {
  // Windows wants a name buffer even when only the entry's existence is asked.
  std::vector<char> name_buffer((name ? name_capacity : kLongestValueName + 1) + 1, '\0');
  DWORD name_length = name ? name_capacity : kLongestValueName + 1;
  std::vector<BYTE> data_buffer(data_capacity + 1u, 0);
  DWORD data_length = data_capacity;
  DWORD type = 0;
  LONG result = RegEnumValueA(ToHkey(key), index, name_buffer.data(), &name_length, nullptr, &type,
                              data ? data_buffer.data() : nullptr, data ? &data_length : nullptr);
  if (result != ERROR_SUCCESS) return result;
  if (name) name->assign(name_buffer.data(), name_length);
  if (data) data->assign(reinterpret_cast<const char*>(data_buffer.data()), data_length);
  return result;
}

long Win32Registry::EnumKey(RegHandle key, uint32_t index, std::string& name,
                            uint32_t name_capacity) {
  std::vector<char> buffer(name_capacity + 1u, '\0');
  DWORD length = name_capacity;
  LONG result =
      RegEnumKeyExA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (result == ERROR_SUCCESS) name.assign(buffer.data(), length);
  return result;
}

long Win32Registry::SetValue(RegHandle key, const std::string& name, uint32_t type,
                             const std::string& data) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteValue(RegHandle key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::DeleteKey(RegHandle key, const std::string& subkey) {
  return RegDeleteKeyA(ToHkey(key), subkey.c_str());
}

}  // namespace quillet
