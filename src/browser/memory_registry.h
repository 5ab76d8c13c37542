#pragma once
// A registry held in memory with the result codes of the Windows registry. Key names compare
// without regard to letter case; subkeys enumerate in name order, values in creation order.
// The file-backed registry of the Linux build keeps one of these and saves it after changes.
#include <map>
#include <string>
#include <vector>

#include "browser/registry_api.h"

namespace quillet {

class MemoryRegistry : public RegistryApi {
 public:
  struct Value {
    std::string name;
    uint32_t type = reg::kTypeString;
    std::string data;
  };
  // One key for saving and loading: its root, its path (parts joined by "\") and its values.
  struct KeyRecord {
    RegHandle root = 0;
    std::string path;
    std::vector<Value> values;
  };

  // Keys lie at most this many levels below their root; deeper paths are refused.
  static constexpr size_t kMaxDepth = 512;
  static size_t PathDepth(const std::string& path);

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

  // Every key below the roots, parents before children.
  std::vector<KeyRecord> Keys() const;
  // Creates the key of the record (and its parents) and adds its values; false (nothing added)
  // when the key would lie too deep.
  bool Add(const KeyRecord& record);
  bool KeyExists(RegHandle root, const std::string& path) const;
  size_t OpenHandles() const { return handles_.size(); }

  // Lack of rights, for tests: deleting the key, or writing values into it, is refused with 5.
  void DenyDelete(RegHandle root, const std::string& path);
  void DenyWrite(RegHandle root, const std::string& path);

 protected:
  // Runs after every change; false when the change could not be made lasting, which the
  // call then reports as access denied.
  virtual bool Changed() { return true; }

 private:
  struct Node {
    std::string name;
    std::vector<Value> values;
    std::map<std::string, Node> children;  // by lower-case name
    bool deny_delete = false;
    bool deny_write = false;
  };
  struct Location {
    RegHandle root;
    std::string path;
  };

  static bool IsRoot(RegHandle handle);
  bool Locate(RegHandle base, const std::string& path, Location& where) const;
  Node* Find(const Location& where);
  const Node* Find(const Location& where) const;
  Node* FindHandle(RegHandle key);
  RegHandle NewHandle(const Location& where);
  Node& Make(const Location& where, bool& created);
  static void Collect(RegHandle root, const std::string& path, const Node& node,
                      std::vector<KeyRecord>& out);

  std::map<RegHandle, Node> roots_;
  std::map<RegHandle, Location> handles_;
  RegHandle next_handle_ = 0x1000;
};

}  // namespace quillet
