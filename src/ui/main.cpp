#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "browser/apply.h"
#include "browser/toolbar_button.h"
#include "platform/platform.h"
#include "ui/qt_user_interface.h"
#include "ui/qucolor.h"
#include "ui/quillet_form.h"

namespace {

#ifdef _WIN32
bool HasDisplay() {
  return true;
}  // a Windows session always has its desktop
#else
bool HasDisplay() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}
#endif

std::string CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + std::string(argv[i]);
  return line;
}

// quillet --restore-proxy: the desktop's proxy settings from before Quillet changed them, put
// back without a window.
int RestoreProxy() {
  auto platform = quillet::MakePlatform();
  std::string reason = quillet::RestorePreviousSettings(*platform->connection_proxy);
  if (!reason.empty()) {
    std::fprintf(stderr, "quillet: %s\n", reason.c_str());
    return 1;
  }
  std::printf("quillet: the desktop's previous proxy settings are restored.\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--restore-proxy") return RestoreProxy();
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "quillet: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Start it from a desktop session, or on a machine without a screen with:\n"
                 "  xvfb-run -a %s\n",
                 argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillet");
  // Ties the window to the installed menu entry and icon (the desktop shows that icon for it).
  QApplication::setDesktopFileName("example.brasklet.Quillet");
  QApplication::setWindowIcon(QIcon::fromTheme("example.brasklet.Quillet"));

  auto platform = quillet::MakePlatform();
  quillet::QtUserInterface ui;
  quillet::AppSettings settings;
  quillet::RegistryToolbarRemover toolbar({*platform->registry, *platform->settings, ui,
                                           *platform->toolbar_shortcut, *platform->guids,
                                           platform->program_dir});
  quillet::StartupServices services{ui,
                                    *platform->settings,
                                    *platform->instance_lock,
                                    *platform->browser_info,
                                    toolbar,
                                    platform->program_dir,
                                    CommandLine(argc, argv),
                                    platform->shared_data_dir,
                                    platform->user_data_dir};
  if (quillet::RunStartup(services, settings) == quillet::StartupResult::Exit) return 0;

  quillet::Qucolor loading(settings.MyIP.empty());
  loading.show();
  loading.repaint();
  QApplication::processEvents();

  quillet::QuilletForm form(*platform, settings, ui);
  ui.SetParentWindow(&form);
  form.show();
  loading.close();
  return QApplication::exec();
}
