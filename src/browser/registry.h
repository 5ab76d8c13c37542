#pragma once
// CRegistry: one registry key, named by a root and a path below it. Assigning the path reads
// the key at once into a value table and a subkey list; reads come from those tables, writes
// and deletions go straight to the registry. All data is handled as text, one character per
// byte, without the terminating zero of a string value.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/user_interface.h"
#include "browser/registry_api.h"
#include "core/errors.h"

namespace quillet {

inline constexpr long kRegErrOpenKey = 0x80040201;
inline constexpr long kRegErrNoLet = 0x80040207;
inline constexpr long kRegErrUnknown = 0x80040209;

// The failure CRegistry raises; its number and description reach the error report.
class RegistryError : public RunTimeError {
 public:
  RegistryError(long number, std::string source, const std::string& description)
      : RunTimeError(number, description), source_(std::move(source)) {}
  const std::string& source() const { return source_; }

 private:
  std::string source_;
};

// A value addressed by its name or by its position in the value table.
using ValueRef = std::variant<std::string, int16_t>;

class CRegistry {
 public:
  CRegistry(RegistryApi& api, UserInterface& ui) : api_(api), ui_(ui) {}
  ~CRegistry() { CloseKey(); }
  CRegistry(const CRegistry&) = delete;
  CRegistry& operator=(const CRegistry&) = delete;

  bool DeleteValue(const std::string& name);
  std::string GetName(int16_t index) const;
  std::string GetSubKey(int16_t index) const;
  // By name: the first entry whose name matches without regard to letter case, else empty.
  std::string GetValue(const std::string& name) const;
  // By position: an index outside the table is reported in a message box and gives empty text.
  std::string GetValue(int16_t index);
  // Deletes the subkey with everything below it; true when it is gone.
  bool DeleteKey(const std::string& name);
  int16_t Create(const std::string& key_name, std::optional<ValueRef> value_name = {},
                 std::optional<std::string> value = {});
  void Refresh() { GetKeyInfo(); }
  bool SetValue(const ValueRef& name, const std::string& value,
                std::optional<uint32_t> type = std::nullopt);

  std::string Default() const { return ""; }
  void SetDefault(const std::string&) {}
  int16_t ValueCount() const { return value_count_; }
  [[noreturn]] void SetValueCount(int16_t);
  bool AutoCreate() const { return auto_create_; }
  void SetAutoCreate(bool value) { auto_create_ = value; }
  const std::string& key() const { return key_; }
  void SetKey(const std::string& path);
  RegHandle root() const { return root_; }
  void SetRoot(RegHandle root);
  int16_t SubKeyCount() const { return subkey_count_; }
  void SetSubKeyCount(int16_t count) { subkey_count_ = count; }

 private:
  bool OpenKey(uint32_t access);
  uint32_t CreateEx();
  void CloseKey();
  void GetKeyInfo();
  void ReadTables();
  long DeleteTree(const std::string& name);

  RegistryApi& api_;
  UserInterface& ui_;
  RegHandle root_ = kHkeyLocalMachine;
  std::string key_;
  bool auto_create_ = true;
  RegHandle handle_ = 0;
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> subkeys_;
  int16_t value_count_ = 0;
  int16_t subkey_count_ = 0;
};

}  // namespace quillet
