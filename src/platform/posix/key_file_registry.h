#pragma once
// A per-user registry in a key file, $XDG_CONFIG_HOME/Brasklet/Registry.conf: one group per key,
// named by its root and path ("HKEY_LOCAL_MACHINE\Software\..."), holding its values in order.
// It is read once and rewritten after every change, so what one run writes the next one sees.
#include <string>

#include "browser/memory_registry.h"

namespace quillet {

class KeyFileRegistry : public MemoryRegistry {
 public:
  explicit KeyFileRegistry(std::string path);
  static std::string DefaultPath();

 protected:
  bool Changed() override;

 private:
  void Load();
  std::string path_;
};

}  // namespace quillet
