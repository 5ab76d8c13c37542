#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/co_create_guid_source.h"
#include "platform/win32/icmp_library_pinger.h"
#include "platform/win32/named_mutex_instance.h"
#include "platform/win32/no_country_databases.h"
#include "platform/win32/no_toolbar_shortcut.h"
#include "platform/win32/ras_phonebook.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/shell_execute_shell.h"
#include "platform/win32/shell_windows_browser_pickup.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/wininet_browser_info.h"
#include "platform/win32/wininet_connection_proxy.h"
#include "platform/win32/wininet_http_client.h"
#include "platform/win32/winsock_resolver.h"
#include "verify/blocking_check_io.h"

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
  platform->registry = std::make_unique<Win32Registry>();
  platform->connection_proxy = std::make_unique<WinInetConnectionProxy>();
  platform->browser_pickup = std::make_unique<ShellWindowsBrowserPickup>();
  platform->phonebook = std::make_unique<RasPhonebook>();
  platform->shell = std::make_unique<ShellExecuteShell>();
  platform->guids = std::make_unique<CoCreateGuidSource>();
  platform->toolbar_shortcut = std::make_unique<NoToolbarShortcut>();
  platform->http = std::make_unique<WinInetHttpClient>();
  platform->pinger = std::make_unique<IcmpLibraryPinger>();
  platform->parallel = std::make_unique<BlockingPortsBackend>(
      BlockingPorts{*platform->http, *platform->pinger, *platform->resolver});
  platform->countries = std::make_unique<NoCountryDatabases>();
  return platform;
}

}  // namespace quillet
