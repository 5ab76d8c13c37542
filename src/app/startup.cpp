#include "app/startup.h"

#include "app/error_report.h"
#include "app/first_run.h"
#include "app/maker_links.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version.h"

namespace quillet {
namespace {

void DetectBrowser(StartupServices& services, AppSettings& settings) {
  auto version = services.browser.Version();
  settings.NoIE = !(version && version->minor > 1);
}

// Returns true when the command line asked only for the toolbar button's removal.
bool HandleToolbarCommand(StartupServices& services, AppSettings& settings) {
  if (settings.NoIE) return false;
  settings.ToolbarGuid = services.store.Read(keys::kToolbarGuid, "");
  if (settings.ToolbarGuid.empty()) return false;
  if (!EqualsNoCase(services.command_line, "detachIE")) return false;
  services.toolbar.RemoveToolbarButton(settings.ToolbarGuid);
  return true;
}

void ResolveListFile(StartupServices& services, AppSettings& settings) {
  std::string fallback = InFolder(services.program_dir, kDefaultListName);
  std::string list = services.store.Read(keys::kListFile, fallback);
  list = WithDefaultFolder(services.program_dir, list);
  // A list from a web address is fetched when the window loads it.
  if (!IsWebAddress(list) && !FileExists(list)) {
    services.ui.ShowMessage("The List File '" + list + "' " + WhyNotAFile(list),
                            MessageIcon::Information);
    list.clear();
  }
  settings.ListFile = list;
}

StartupResult RunSteps(StartupServices& services, AppSettings& settings) {
  if (!services.lock.Acquire()) {
    services.ui.ShowMessage("Quillet is already running", MessageIcon::Information);
    return StartupResult::Exit;
  }
  if (std::string problem = services.store.OpenProblem(); !problem.empty()) {
    services.ui.ShowMessage(problem, MessageIcon::Exclamation);
  }
  settings.MyIP.clear();
  settings.NoIE = false;
  settings.UpgradeVersion.clear();

  DetectBrowser(services, settings);
  if (HandleToolbarCommand(services, settings)) return StartupResult::Exit;
  settings.FirstRun = NeedsFirstRun(services.store);
  if (settings.FirstRun) {
    WriteFirstRunValues(
        services.store,
        FirstRunListFile({services.program_dir, services.shared_data_dir, services.user_data_dir}));
  }
  ResolveListFile(services, settings);
  settings.UpgradeVersion =
      UpgradeVersionFromCookies(services.browser.Cookies(links::kProductPage), VersionString());
  return StartupResult::ShowMainWindow;
}

}  // namespace

DesktopFamily DesktopFamilyOf(const std::string& current_desktop,
                              const std::string& session_desktop,
                              const std::string& desktop_session, std::string& name) {
  static const char* const kGnomeFamily[] = {
      "gnome",    "unity",           "cinnamon",      "x-cinnamon", "budgie", "budgie-desktop",
      "pantheon", "gnome-flashback", "gnome-classic", "ubuntu",     "pop",    "zorin"};
  std::string names = !current_desktop.empty()   ? current_desktop
                      : !session_desktop.empty() ? session_desktop
                                                 : desktop_session;
  name = Trim(Before(names, ":"));
  for (const std::string& raw : Split(names, ":")) {
    std::string entry = ToLower(Trim(raw));
    if (entry == "kde" || entry == "plasma" || entry == "plasmawayland") return DesktopFamily::Kde;
    for (const char* gnome : kGnomeFamily) {
      if (entry == gnome) return DesktopFamily::Gnome;
    }
  }
  return DesktopFamily::Other;
}

std::string UpgradeVersionFromCookies(const std::string& cookies, const std::string& own_version) {
  if (cookies.find(';') == std::string::npos) return "";
  std::string text = Trim(ReplaceAll(cookies, std::string(1, '\0'), " "));
  std::vector<std::string> items = Split(ReplaceAll(text, ";", "="), "=");
  if (items.size() < 4 || !EqualsNoCase(Trim(items[2]), "ver")) return "";
  const std::string& offered = items[3];
  return EqualsNoCase(Left(own_version, 4), offered) ? "" : offered;
}

StartupResult RunStartup(StartupServices& services, AppSettings& settings) {
  StartupResult result = StartupResult::Exit;
  if (!RunGuarded(services.ui, tags::kStartup, [&] { result = RunSteps(services, settings); })) {
    return StartupResult::Exit;
  }
  return result;
}

}  // namespace quillet
