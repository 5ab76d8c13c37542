#pragma once
// Every platform service the program uses, assembled once by MakePlatform() for the platform
// that CMake picked (platform/posix or platform/win32).
#include <memory>
#include <string>

#include "app/browser_info.h"
#include "app/desktop_notifier.h"
#include "app/instance_lock.h"
#include "app/settings_store.h"
#include "browser/apply.h"
#include "browser/connection_list.h"
#include "browser/connection_proxy.h"
#include "browser/launch.h"
#include "browser/registry_api.h"
#include "browser/toolbar_button.h"
#include "net/country_lookup.h"
#include "net/resolver.h"
#include "proxylist/list_fetcher.h"
#include "verify/http_client.h"
#include "verify/parallel_backend.h"
#include "verify/pinger.h"

namespace quillet {

struct Platform {
  std::string program_dir;
  std::string shared_data_dir;  // an installed program's read-only data; empty where none
  std::string user_data_dir;    // the user's own data folder for the program; empty where none
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<InstanceLock> instance_lock;
  std::unique_ptr<BrowserInfo> browser_info;
  std::unique_ptr<Resolver> resolver;
  std::unique_ptr<RegistryApi> registry;
  std::unique_ptr<ConnectionProxyComponent> connection_proxy;
  std::unique_ptr<BrowserPickup> browser_pickup;
  std::unique_ptr<Phonebook> phonebook;
  std::unique_ptr<Shell> shell;
  std::unique_ptr<GuidSource> guids;
  std::unique_ptr<ToolbarShortcut> toolbar_shortcut;
  std::unique_ptr<HttpClient> http;
  std::unique_ptr<Pinger> pinger;
  std::unique_ptr<ParallelBackend> parallel;  // the proxy checks of every Verify run
  std::unique_ptr<DesktopNotifier> notifier;  // null where the desktop has none
  std::unique_ptr<CountryDatabases> countries;
  std::unique_ptr<ListFetcher> list_fetcher;  // null where lists are not fetched from the web
};

std::unique_ptr<Platform> MakePlatform();

}  // namespace quillet
