// A real browser follows Apply: headless Chromium, on a GNOME and on a KDE desktop of its own,
// fetches the judge page through the proxy that Quillet wrote into the desktop's settings.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "browser/apply.h"
#include "e2e/real_servers.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/kioslaverc_connection_proxy.h"

namespace quillet::testing {
namespace {

// REMOTE_ADDR as the judge reports it to Chromium started with `env` (its desktop) in `home`.
// Chromium reaches nothing but loopback: no background traffic, and names resolve nowhere.
std::string SeenByTheJudge(const TempFolder& home, std::vector<std::string> env,
                           const std::string& url) {
  env.insert(env.begin(),
             {"/usr/bin/env", "HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.File(".config")});
  env.insert(env.end(),
             {FindProgram("chromium"), "--headless", "--no-sandbox", "--disable-gpu",
              "--no-first-run", "--disable-background-networking", "--disable-component-update",
              "--disable-sync", "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.7.*",
              "--user-data-dir=" + home.File("profile"), "--dump-dom", url});
  ChildProcess chromium(env, home.File("dom"));
  for (int i = 0; i < 300 && chromium.running(); ++i) usleep(100000);
  chromium.Stop();
  std::string dom = ReadFile(home.File("dom"));
  size_t at = dom.find("REMOTE_ADDR = ");
  return at == std::string::npos ? "" : dom.substr(at + 14, dom.find('\n', at) - at - 14);
}

TEST(RealBrowser, FollowsApplyOnGnomeAndKde) {
  if (FindProgram("chromium").empty() || !GnomeProxySchemaInstalled()) {
    GTEST_SKIP() << "chromium and gsettings-desktop-schemas are needed (make test installs them)";
  }
  TempFolder folder;
  RunningServer judge = StartJudge(folder, "127.0.7.41");
  std::ofstream(folder.File("judge-only")) << "^127\\.0\\.7\\.41$\n";  // all the proxy may reach
  RunningServer proxy = StartTinyproxy(
      folder, "127.0.7.42", "127.0.7.43",
      "Filter \"" + folder.File("judge-only") + "\"\nFilterDefaultDeny Yes\nFilterExtended Yes");
  ASSERT_TRUE(judge && proxy) << ReadFile(judge.log) << ReadFile(proxy.log);
  for (const char* desktop : {"GNOME", "KDE"}) {
    TempFolder home;
    std::string keyfile = home.File(".config/glib-2.0/settings/keyfile");
    GSettingsBackend* backend = g_keyfile_settings_backend_new(keyfile.c_str(), "/", nullptr);
    GSettingsConnectionProxy gnome("", backend);
    g_object_unref(backend);
    KioslavercConnectionProxy kde(home.File(".config/kioslaverc"));  // where Chromium reads it
    ConnectionProxyComponent& settings =
        std::string(desktop) == "KDE" ? static_cast<ConnectionProxyComponent&>(kde) : gnome;
    std::vector<std::string> env = {std::string("XDG_CURRENT_DESKTOP=") + desktop,
                                    "GSETTINGS_BACKEND=keyfile", "KDE_SESSION_VERSION=5"};
    ProxyFields fields;
    fields.proxy = CheckState::Checked;
    fields.servers[0] = proxy.proxy();
    fields.bypass = "<-loopback>";  // Chromium would otherwise go straight to loopback
    for (std::string seen_as : {"127.0.7.43", "127.0.0.1"}) {  // through the proxy, then direct
      WriteProxySettings(settings, fields);
      EXPECT_EQ(SeenByTheJudge(home, env, "http://" + judge.proxy() + "/"), seen_as) << desktop;
      fields.proxy = CheckState::Unchecked;
    }
  }
}

}  // namespace
}  // namespace quillet::testing
