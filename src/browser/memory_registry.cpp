#include "browser/memory_registry.h"

#include <algorithm>

#include "core/text.h"

namespace quillet {
namespace {

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  for (std::string& part : Split(path, "\\")) {
    if (!part.empty()) parts.push_back(std::move(part));
  }
  return parts;
}

std::string JoinPath(const std::string& path, const std::string& name) {
  return path.empty() ? name : path + "\\" + name;
}

}  // namespace

size_t MemoryRegistry::PathDepth(const std::string& path) {
  return PathParts(path).size();
}

bool MemoryRegistry::IsRoot(RegHandle handle) {
  return handle >= 0x80000000 && handle <= 0x80000006;
}

bool MemoryRegistry::Locate(RegHandle base, const std::string& path, Location& where) const {
  if (IsRoot(base)) {
    where = {base, ""};
  } else {
    auto open = handles_.find(base);
    if (open == handles_.end()) return false;
    where = open->second;
  }
  for (const std::string& part : PathParts(path)) where.path = JoinPath(where.path, part);
  return PathDepth(where.path) <= kMaxDepth;
}

const MemoryRegistry::Node* MemoryRegistry::Find(const Location& where) const {
  auto root = roots_.find(where.root);
  if (root == roots_.end()) return nullptr;
  const Node* node = &root->second;
  for (const std::string& part : PathParts(where.path)) {
    auto child = node->children.find(ToLower(part));
    if (child == node->children.end()) return nullptr;
    node = &child->second;
  }
  return node;
}

MemoryRegistry::Node* MemoryRegistry::Find(const Location& where) {
  if (IsRoot(where.root)) roots_.try_emplace(where.root);
  return const_cast<Node*>(static_cast<const MemoryRegistry*>(this)->Find(where));
}

MemoryRegistry::Node* MemoryRegistry::FindHandle(RegHandle key) {
  Location where;
  return Locate(key, "", where) ? Find(where) : nullptr;
}

RegHandle MemoryRegistry::NewHandle(const Location& where) {
  RegHandle handle = next_handle_++;
  handles_[handle] = where;
  return handle;
}

MemoryRegistry::Node& MemoryRegistry::Make(const Location& where, bool& created) {
  created = false;
  Node* node = &roots_[where.root];
  for (const std::string& part : PathParts(where.path)) {
    auto [child, added] = node->children.try_emplace(ToLower(part));
    if (added) {
      child->second.name = part;
      created = true;
    }
    node = &child->second;
  }
  return *node;
}

long MemoryRegistry::OpenKey(RegHandle root, const std::string& path, uint32_t, RegHandle& key) {
  key = 0;
  Location where;
  if (!Locate(root, path, where)) return 6;  // invalid handle
  if (!Find(where)) return reg::kFileNotFound;
  key = NewHandle(where);
  return reg::kOk;
}

long MemoryRegistry::CreateKey(RegHandle root, const std::string& path, uint32_t, RegHandle& key,
                               uint32_t& disposition) {
  key = 0;
  Location where;
  if (!Locate(root, path, where)) return reg::kBadKey;
  if (!FindHandle(root)) return reg::kKeyDeleted;
  bool created = false;
  Make(where, created);
  disposition = created ? reg::kCreatedNewKey : reg::kOpenedExistingKey;
  key = NewHandle(where);
  if (created && !Changed()) {
    handles_.erase(key);
    key = 0;
    return reg::kAccessDenied;
  }
  return reg::kOk;
}

long MemoryRegistry::CloseKey(RegHandle key) {
  if (IsRoot(key)) return reg::kOk;
  return handles_.erase(key) ? reg::kOk : 6;
}

long MemoryRegistry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
  const Node* node = FindHandle(key);
  if (!node) return reg::kKeyDeleted;
  info = {};
  for (const Value& value : node->values) {
    info.max_value_name = std::max(info.max_value_name, static_cast<uint32_t>(value.name.size()));
    info.max_value_data = std::max(info.max_value_data, static_cast<uint32_t>(value.data.size()));
  }
  for (const auto& [lower, child] : node->children) {
    info.max_subkey_name = std::max(info.max_subkey_name, static_cast<uint32_t>(lower.size()));
  }
  return reg::kOk;
}

long MemoryRegistry::EnumValue(RegHandle key, uint32_t index, std::string* name,
                               uint32_t name_capacity, std::string* data, uint32_t data_capacity) {
  const Node* node = FindHandle(key);
  if (!node) return reg::kKeyDeleted;
  if (index >= node->values.size()) return reg::kNoMoreItems;
  const Value& value = node->values[index];
  if (name && value.name.size() + 1 > name_capacity) return reg::kMoreData;
  if (data && value.data.size() > data_capacity) return reg::kMoreData;
  if (name) *name = value.name;
  if (data) *data = value.data;
  return reg::kOk;
}

long MemoryRegistry::EnumKey(RegHandle key, uint32_t index, std::string& name,
                             uint32_t name_capacity) {
  const Node* node = FindHandle(key);
  if (!node) return reg::kKeyDeleted;
  if (index >= node->children.size()) return reg::kNoMoreItems;
  const Node& child = std::next(node->children.begin(), index)->second;
  if (child.name.size() + 1 > name_capacity) return reg::kMoreData;
  name = child.name;
  return reg::kOk;
}

long MemoryRegistry::SetValue(RegHandle key, const std::string& name, uint32_t type,
                              const std::string& data) {
  Node* node = FindHandle(key);
  if (!node) return reg::kKeyDeleted;
  if (node->deny_write) return reg::kAccessDenied;
  auto same = std::find_if(node->values.begin(), node->values.end(),
                           [&](const Value& value) { return EqualsNoCase(value.name, name); });
  if (same == node->values.end()) {
    node->values.push_back({name, type, data});
  } else {
    same->type = type;
    same->data = data;
  }
  return Changed() ? reg::kOk : reg::kAccessDenied;
}

long MemoryRegistry::DeleteValue(RegHandle key, const std::string& name) {
  Node* node = FindHandle(key);
  if (!node) return reg::kKeyDeleted;
  if (node->deny_write) return reg::kAccessDenied;
  auto same = std::find_if(node->values.begin(), node->values.end(),
                           [&](const Value& value) { return EqualsNoCase(value.name, name); });
  if (same == node->values.end()) return reg::kFileNotFound;
  node->values.erase(same);
  return Changed() ? reg::kOk : reg::kAccessDenied;
}

long MemoryRegistry::DeleteKey(RegHandle key, const std::string& subkey) {
  Node* parent = FindHandle(key);
  if (!parent) return reg::kKeyDeleted;
  std::vector<std::string> parts = PathParts(subkey);
  if (parts.empty()) return reg::kFileNotFound;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    auto child = parent->children.find(ToLower(parts[i]));
    if (child == parent->children.end()) return reg::kFileNotFound;
    parent = &child->second;
  }
  auto target = parent->children.find(ToLower(parts.back()));
  if (target == parent->children.end()) return reg::kFileNotFound;
  if (target->second.deny_delete || !target->second.children.empty()) return reg::kAccessDenied;
  parent->children.erase(target);
  return Changed() ? reg::kOk : reg::kAccessDenied;
}

void MemoryRegistry::Collect(RegHandle root, const std::string& path, const Node& node,
                             std::vector<KeyRecord>& out) {
  for (const auto& [lower, child] : node.children) {
    std::string child_path = JoinPath(path, child.name);
    out.push_back({root, child_path, child.values});
    Collect(root, child_path, child, out);
  }
}

std::vector<MemoryRegistry::KeyRecord> MemoryRegistry::Keys() const {
  std::vector<KeyRecord> keys;
  for (const auto& [root, node] : roots_) Collect(root, "", node, keys);
  return keys;
}

bool MemoryRegistry::Add(const KeyRecord& record) {
  if (PathDepth(record.path) > kMaxDepth) return false;
  bool created = false;
  Node& node = Make({record.root, record.path}, created);
  for (const Value& value : record.values) node.values.push_back(value);
  return true;
}

bool MemoryRegistry::KeyExists(RegHandle root, const std::string& path) const {
  return Find(Location{root, path}) != nullptr;
}

void MemoryRegistry::DenyDelete(RegHandle root, const std::string& path) {
  bool created = false;
  Make({root, path}, created).deny_delete = true;
}

void MemoryRegistry::DenyWrite(RegHandle root, const std::string& path) {
  bool created = false;
  Make({root, path}, created).deny_write = true;
}

}  // namespace quillet
