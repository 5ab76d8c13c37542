#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/named_mutex_instance.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/wininet_browser_info.h"
#include "platform/win32/winsock_resolver.h"

namespace quillet {
namespace {

// The folder of the running program, without a trailing "\" (except for a drive root).
std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return ".";
  std::string exe(path, length);
  size_t slash = exe.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  return slash == 2 && exe[1] == ':' ? exe.substr(0, 3) : exe.substr(0, slash);
}

}  // namespace

std::unique_ptr<Platform> MakePlatform() {
  auto platform = std::make_unique<Platform>();
  platform->program_dir = ProgramDirectory();
  platform->settings = std::make_unique<RegistrySettingsStore>();
  platform->instance_lock = std::make_unique<NamedMutexInstance>();
  platform->browser_info = std::make_unique<WinInetBrowserInfo>();
  platform->resolver = std::make_unique<WinsockResolver>();
  return platform;
}

}  // namespace quillet
