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
  // Why the file could not be read and where it was kept, or empty text. A damaged file (bad
  // numbers, too many values, keys too deep, too large) is moved aside and the registry starts
  // empty.
  std::string OpenProblem() const { return problem_; }

 protected:
  bool Changed() override;

 private:
  void Load();
  std::string path_;
  std::string problem_;
};

}  // namespace quillet
