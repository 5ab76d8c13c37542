#include <glib.h>
#include <unistd.h>

#include <climits>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/curl_http_client.h"
#include "platform/posix/curl_list_fetcher.h"
#include "platform/posix/desktop_proxy_choice.h"
#include "platform/posix/desktop_services.h"
#include "platform/posix/desktop_toolbar_shortcut.h"
#include "platform/posix/gdbus_notifier.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/gio_shell.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/key_file_registry.h"
#include "platform/posix/keyfile_settings_store.h"
#include "platform/posix/lock_file_instance.h"
#include "platform/posix/maxmind_country_databases.h"
#include "platform/posix/posix_parallel_backend.h"
#include "platform/posix/random_guid_source.h"

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

// An installed program lives in <prefix>/bin and finds its data in <prefix>/share/quillet.
// Found from the program's own place, an install moved elsewhere (or into a staging folder)
// still finds its data.
std::string SharedDataDirectory(const std::string& program_dir) {
  std::string_view bin = "/bin";
  if (!std::string_view(program_dir).ends_with(bin)) return "";
  return program_dir.substr(0, program_dir.size() - bin.size()) + "/share/quillet";
}

}  // namespace

std::unique_ptr<Platform> MakePlatform() {
  auto platform = std::make_unique<Platform>();
  platform->program_dir = ProgramDirectory();
  platform->shared_data_dir = SharedDataDirectory(platform->program_dir);
  platform->user_data_dir = std::string(g_get_user_data_dir()) + "/quillet";
  auto settings = std::make_unique<KeyFileSettingsStore>(KeyFileSettingsStore::DefaultPath());
  auto registry = std::make_unique<KeyFileRegistry>(KeyFileRegistry::DefaultPath());
  settings->NoteOpenProblem(registry->OpenProblem());
  platform->settings = std::move(settings);
  platform->registry = std::move(registry);
  platform->instance_lock = std::make_unique<LockFileInstance>(LockFileInstance::DefaultPath());
  DesktopProxyChoice desktop = ChooseDesktopProxy(platform->user_data_dir);
  platform->browser_info = std::make_unique<DesktopBrowserInfo>(desktop.available);
  platform->resolver = std::make_unique<GetAddrInfoResolver>();
  platform->connection_proxy = std::move(desktop.component);
  platform->browser_pickup = std::make_unique<DesktopBrowserPickup>();
  platform->phonebook = std::make_unique<EmptyPhonebook>();
  platform->shell = std::make_unique<GioShell>();
  platform->guids = std::make_unique<RandomGuidSource>();
  platform->toolbar_shortcut = std::make_unique<DesktopToolbarShortcut>();
  platform->http = std::make_unique<CurlHttpClient>();
  platform->list_fetcher = std::make_unique<CurlListFetcher>();
  platform->pinger = std::make_unique<IcmpPinger>();
  platform->parallel = std::make_unique<PosixParallelBackend>(*platform->resolver);
  platform->notifier = std::make_unique<GDBusNotifier>();
  platform->countries = std::make_unique<MaxMindCountryDatabases>(platform->user_data_dir);
  return platform;
}

}  // namespace quillet
