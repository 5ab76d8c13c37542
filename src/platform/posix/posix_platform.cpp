#include <unistd.h>

#include <climits>

#include "platform/platform.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/keyfile_settings_store.h"
#include "platform/posix/lock_file_instance.h"

namespace quillet {
namespace {

std::string ProgramDirectory() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string exe(path, static_cast<size_t>(length));
  size_t slash = exe.rfind('/');
  return slash == 0 ? "/" : exe.substr(0, slash);
}

}  // namespace

std::unique_ptr<Platform> MakePlatform() {
  auto platform = std::make_unique<Platform>();
  platform->program_dir = ProgramDirectory();
  platform->settings = std::make_unique<KeyFileSettingsStore>(KeyFileSettingsStore::DefaultPath());
  platform->instance_lock = std::make_unique<LockFileInstance>(LockFileInstance::DefaultPath());
  platform->browser_info = std::make_unique<GSettingsBrowserInfo>();
  platform->resolver = std::make_unique<GetAddrInfoResolver>();
  return platform;
}

}  // namespace quillet
