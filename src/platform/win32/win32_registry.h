#pragma once
#include "browser/registry_api.h"

namespace quillet {

// The registry calls of advapi32 in their ANSI forms, with Windows' own result codes. The
// predefined roots (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, ...) are passed by their 32-bit
// numbers and map onto Windows' handles.
class Win32Registry : public RegistryApi {
 public:
  long OpenKey(RegHandle root, const std::string& path, uint32_t access, RegHandle& key) override;
  long CreateKey(RegHandle root, const std::string& path, uint32_t access, RegHandle& key,
                 uint32_t& disposition) override;
  long CloseKey(RegHandle key) override;
  long QueryInfoKey(RegHandle key, RegKeyInfo& info) override;
  long EnumValue(RegHandle key, uint32_t index, std::string* name, uint32_t name_capacity,
                 std::string* data, uint32_t data_capacity) override;
  long EnumKey(RegHandle key, uint32_t index, std::string& name, uint32_t name_capacity) override;
  long SetValue(RegHandle key, const std::string& name, uint32_t type,
                const std::string& data) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long DeleteKey(RegHandle key, const std::string& subkey) override;
};

}  // namespace quillet
