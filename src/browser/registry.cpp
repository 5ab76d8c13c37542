#include "browser/registry.h"

#include "core/text.h"

namespace quillet {
namespace {

constexpr uint32_t kReadAccess = 0x1F;
constexpr uint32_t kAllAccess = 0x3F;
constexpr uint32_t kWriteAccess = 6;
constexpr uint32_t kSubkeyBuffer = 255;

template <class Table>
bool InTable(const Table& table, int16_t index) {
  return index >= 0 && static_cast<size_t>(index) < table.size();
}

}  // namespace

void CRegistry::CloseKey() {
  if (handle_ == 0) return;
  api_.CloseKey(handle_);
  handle_ = 0;
}

uint32_t CRegistry::CreateEx() {
  uint32_t disposition = 0;
  long code = api_.CreateKey(root_, key_, kAllAccess, handle_, disposition);
  if (code == reg::kOk) return disposition;
  handle_ = 0;
  if (code == reg::kBadKey)
    throw RegistryError(kRegErrOpenKey, "CreateEx", "Cannot Open Parent Key");
  throw RegistryError(kRegErrUnknown, "CreateEx", "Unknown Error: " + std::to_string(code));
}

bool CRegistry::OpenKey(uint32_t access) {
  if (key_.empty() || root_ == 0) {
    handle_ = 0;
    return false;
  }
  CloseKey();
  if (!auto_create_) {
    if (api_.OpenKey(root_, key_, access, handle_) == reg::kOk) return true;
    handle_ = 0;
    return false;
  }
  uint32_t disposition = CreateEx();
  return disposition == reg::kCreatedNewKey || disposition == reg::kOpenedExistingKey;
}

void CRegistry::GetKeyInfo() {
  CloseKey();
  values_.clear();
  subkeys_.clear();
  value_count_ = 0;
  subkey_count_ = 0;
  try {
    if (!auto_create_) {
      if (api_.OpenKey(root_, key_, kReadAccess, handle_) != reg::kOk) {
        handle_ = 0;
        throw RegistryError(kRegErrOpenKey, "GetKeyInfo", "Unable to open Key");
      }
    } else {
      CreateEx();
    }
    ReadTables();
  } catch (const std::exception&) {
    CloseKey();
    throw RegistryError(kRegErrOpenKey, "GetKeyInfo", "Unable to open Key");
  }
  CloseKey();
}

void CRegistry::ReadTables() {
  RegKeyInfo info;
  if (long code = api_.QueryInfoKey(handle_, info); code != reg::kOk) {
    throw RegistryError(kRegErrUnknown, "GetKeyInfo", "Unknown Error: " + std::to_string(code));
  }
  for (uint32_t i = 0;; ++i) {
    if (api_.EnumValue(handle_, i, nullptr, 0, nullptr, 0) == reg::kNoMoreItems) break;
    std::string name, data;
    long code =
        api_.EnumValue(handle_, i, &name, info.max_value_name + 1, &data, info.max_value_data + 1);
    if (!data.empty()) data.pop_back();
    values_.emplace_back(name, data);
    value_count_ = static_cast<int16_t>(values_.size());
    if (code != reg::kOk) break;
  }
  for (uint32_t i = 0;; ++i) {
    std::string name;
    if (api_.EnumKey(handle_, i, name, info.max_subkey_name + 1) != reg::kOk) break;
    subkeys_.push_back(name);
    subkey_count_ = static_cast<int16_t>(subkeys_.size());
  }
}

std::string CRegistry::GetName(int16_t index) const {
  return InTable(values_, index) ? values_[static_cast<size_t>(index)].first : "";
}

std::string CRegistry::GetSubKey(int16_t index) const {
  return InTable(subkeys_, index) ? subkeys_[static_cast<size_t>(index)] : "";
}

std::string CRegistry::GetValue(const std::string& name) const {
  for (const auto& [entry, data] : values_) {
    if (EqualsNoCase(entry, name)) return data;
  }
  return "";
}

std::string CRegistry::GetValue(int16_t index) {
  if (InTable(values_, index)) return values_[static_cast<size_t>(index)].second;
  ui_.ShowMessage("Value number " + std::to_string(index) + " does not exist in key '" + key_ +
                  "' (it has " + std::to_string(value_count_) + " values).");
  return "";
}

bool CRegistry::SetValue(const ValueRef& name, const std::string& value,
                         std::optional<uint32_t> type) {
  std::string value_name = std::holds_alternative<std::string>(name)
                               ? std::get<std::string>(name)
                               : GetName(std::get<int16_t>(name));
  if (!OpenKey(kWriteAccess)) return false;
  std::string bytes = value;
  bytes.push_back('\0');
  long code = api_.SetValue(handle_, value_name, type.value_or(reg::kTypeString), bytes);
  CloseKey();
  if (code == reg::kOk) return true;
  ui_.ShowMessage("Darn!!  Couldn't write new value.");
  return false;
}

bool CRegistry::DeleteValue(const std::string& name) {
  try {
    OpenKey(kReadAccess);
    bool deleted = api_.DeleteValue(handle_, name) == reg::kOk;
    CloseKey();
    GetKeyInfo();
    return deleted;
  } catch (const std::exception&) {
    CloseKey();
    return false;
  }
}

bool CRegistry::DeleteKey(const std::string& name) {
  try {
    return DeleteTree(name) == reg::kOk;
  } catch (const std::exception&) {
    return false;
  }
}

long CRegistry::DeleteTree(const std::string& name) {
  RegHandle key = 0;
  if (api_.OpenKey(root_, key_ + "\\" + name, kAllAccess, key) != reg::kOk) return -1;
  for (;;) {
    std::string subkey;
    if (api_.EnumKey(key, 0, subkey, kSubkeyBuffer) != reg::kOk) break;
    std::string saved = key_;
    key_ += "\\" + name;
    long result = DeleteTree(subkey);
    key_ = saved;
    // A subkey that stays (no rights to delete it) would be found again at index 0.
    if (result != reg::kOk) {
      api_.CloseKey(key);
      return result;
    }
  }
  api_.CloseKey(key);
  RegHandle parent = 0;
  if (api_.OpenKey(root_, key_, kAllAccess, parent) != reg::kOk) return -1;
  long result = api_.DeleteKey(parent, name);
  api_.CloseKey(parent);
  return result;
}

int16_t CRegistry::Create(const std::string& key_name, std::optional<ValueRef> value_name,
                          std::optional<std::string> value) {
  try {
    if (key_name != key_) key_ += "\\" + key_name;
    uint32_t disposition = CreateEx();
    if (disposition != 0 && value_name && value && !SetValue(*value_name, *value)) {
      ui_.ShowMessage("Could not set value");
    }
    CloseKey();
    return -1;
  } catch (const std::exception&) {
    CloseKey();
    return 0;
  }
}

void CRegistry::SetValueCount(int16_t) {
  throw RegistryError(kRegErrNoLet, "CRegistry.Let ValueCount",
                      "The Let Property is not available");
}

void CRegistry::SetKey(const std::string& path) {
  key_ = path;
  GetKeyInfo();
}

void CRegistry::SetRoot(RegHandle root) {
  root_ = root;
  try {
    OpenKey(kReadAccess);
  } catch (const std::exception&) {
  }
  CloseKey();
}

}  // namespace quillet
