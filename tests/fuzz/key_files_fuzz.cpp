// Any bytes as the registry file and as the settings file: both readers end, never throw, and
// hold bounded data.
#include <filesystem>

#include "fuzz/fuzz_support.h"
#include "platform/posix/key_file_registry.h"
#include "platform/posix/keyfile_settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = quillet::fuzz::ScratchFile("Registry.conf");
  quillet::fuzz::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  {
    quillet::KeyFileRegistry registry(path);
    for (const auto& key : registry.Keys())
      if (quillet::MemoryRegistry::PathDepth(key.path) > quillet::MemoryRegistry::kMaxDepth)
        __builtin_trap();
  }
  quillet::fuzz::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  quillet::KeyFileSettingsStore store(path);
  store.Read("ping", "");
  // Damaged files are kept aside: clear them so the folder does not fill up.
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    if (entry.path() != path) std::filesystem::remove(entry.path());
  return 0;
}
