#pragma once
// The nine registry calls the registry class is built on, with the result codes of the
// Windows registry. Names and data are single-byte text; data bytes are passed as stored
// (a string value carries its terminating zero byte).
#include <cstdint>
#include <string>

namespace quillet {

using RegHandle = std::uintptr_t;  // 0 is "no handle"

inline constexpr RegHandle kHkeyCurrentUser = 0x80000001;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002;

namespace reg {
inline constexpr long kOk = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kMoreData = 234;
inline constexpr long kNoMoreItems = 259;
inline constexpr long kBadKey = 1010;
inline constexpr long kKeyDeleted = 1018;

inline constexpr uint32_t kCreatedNewKey = 1;
inline constexpr uint32_t kOpenedExistingKey = 2;

inline constexpr uint32_t kTypeString = 1;  // REG_SZ
inline constexpr uint32_t kTypeDword = 4;   // REG_DWORD
}  // namespace reg

struct RegKeyInfo {
  uint32_t max_value_name = 0;  // characters, without the terminating zero
  uint32_t max_value_data = 0;  // bytes
  uint32_t max_subkey_name = 0;
};

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  virtual long OpenKey(RegHandle root, const std::string& path, uint32_t access,
                       RegHandle& key) = 0;
  // Creates the missing keys along the path; disposition 1 created, 2 opened an existing key.
  virtual long CreateKey(RegHandle root, const std::string& path, uint32_t access, RegHandle& key,
                         uint32_t& disposition) = 0;
  virtual long CloseKey(RegHandle key) = 0;
  virtual long QueryInfoKey(RegHandle key, RegKeyInfo& info) = 0;
  // Value `index`. With null `name` and `data` only tells whether the entry exists. Buffers
  // hold at most `name_capacity` characters (terminating zero included) and `data_capacity`
  // bytes; a longer entry gives 234.
  virtual long EnumValue(RegHandle key, uint32_t index, std::string* name, uint32_t name_capacity,
                         std::string* data, uint32_t data_capacity) = 0;
  virtual long EnumKey(RegHandle key, uint32_t index, std::string& name,
                       uint32_t name_capacity) = 0;
  virtual long SetValue(RegHandle key, const std::string& name, uint32_t type,
                        const std::string& data) = 0;
  virtual long DeleteValue(RegHandle key, const std::string& name) = 0;
  // Deletes a subkey that has no subkeys of its own.
  virtual long DeleteKey(RegHandle key, const std::string& subkey) = 0;
};

}  // namespace quillet
