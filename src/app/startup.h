#pragma once
// The entry sequence that runs before any window: single instance, browser detection, the
// "detachIE" command line, first run, list file and upgrade notice.
#include <string>

#include "app/app_settings.h"
#include "app/browser_info.h"
#include "app/first_run.h"
#include "app/instance_lock.h"
#include "app/settings_store.h"
#include "app/toolbar_remover.h"
#include "app/user_interface.h"

namespace quillet {

struct StartupServices {
  UserInterface& ui;
  SettingsStore& store;
  InstanceLock& lock;
  BrowserInfo& browser;
  ToolbarRemover& toolbar;
  std::string program_dir;
  std::string command_line;
  std::string shared_data_dir{};  // where an installed program finds its sample list
  std::string user_data_dir{};    // where an installed program keeps the user's copy
};

enum class StartupResult { ShowMainWindow, Exit };

StartupResult RunStartup(StartupServices& services, AppSettings& settings);

// The desktop families whose proxy settings Quillet knows how to write.
enum class DesktopFamily { Gnome, Kde, Other };

// The family named by XDG_CURRENT_DESKTOP, else XDG_SESSION_DESKTOP, else DESKTOP_SESSION (the
// first that is set; ":"-separated names, the first known one wins). `name` gets the first name.
DesktopFamily DesktopFamilyOf(const std::string& current_desktop,
                              const std::string& session_desktop,
                              const std::string& desktop_session, std::string& name);

// The version offered by the maker's cookie text ("...;ver=0.02;..."), or empty when the cookie
// offers none or offers the program's own version.
std::string UpgradeVersionFromCookies(const std::string& cookies, const std::string& own_version);

}  // namespace quillet
