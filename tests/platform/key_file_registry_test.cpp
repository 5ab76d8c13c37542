#include "platform/posix/key_file_registry.h"

#include "fakes/registry_contract.h"
#include "fakes/temp_dir.h"

namespace quillet {
namespace {

// The file registry, and the memory registry it is built on, answer as Windows does.
TEST(KeyFileRegistry, givesTheResultCodesOfTheWindowsRegistry) {
  testing::TempDir dir;
  KeyFileRegistry registry(dir / "Registry.conf");
  testing::ExpectWindowsResultCodes(registry, kHkeyCurrentUser, "Software\\Brasklet\\Test");
}

}  // namespace
}  // namespace quillet
