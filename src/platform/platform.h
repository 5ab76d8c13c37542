#pragma once
// Every platform service the program uses, assembled once by MakePlatform() for the platform
// that CMake picked (platform/posix or platform/win32).
#include <memory>
#include <string>

#include "app/browser_info.h"
#include "app/instance_lock.h"
#include "app/settings_store.h"
#include "verify/resolver.h"

namespace quillet {

struct Platform {
  std::string program_dir;
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<InstanceLock> instance_lock;
  std::unique_ptr<BrowserInfo> browser_info;
  std::unique_ptr<Resolver> resolver;
};

std::unique_ptr<Platform> MakePlatform();

}  // namespace quillet
