// A real browser follows Apply: headless Chromium, on a GNOME and on a KDE desktop of its own,
// fetches the judge page through the proxy that Quillet wrote into the desktop's settings: an
// HTTP proxy, then a SOCKS server alone.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "browser/apply.h"
#include "e2e/real_servers.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/kioslaverc_connection_proxy.h"

namespace quillet::testing {
namespace {

// REMOTE_ADDR as the judge reports it to Chromium started with `env` (its desktop) in `home`.
// Chromium reaches nothing but loopback: no background traffic, and names resolve nowhere.
std::string SeenByTheJudge(const std::string& home, std::vector<std::string> env,
                           const std::string& url) {
  env.insert(env.begin(), {"/usr/bin/env", "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config"});
  env.insert(env.end(),
             {FindProgram("chromium"), "--headless", "--no-sandbox", "--disable-gpu",
              "--no-first-run", "--disable-background-networking", "--disable-component-update",
              "--disable-sync", "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.7.*",
              "--user-data-dir=" + home + "/profile", "--dump-dom", url});
  {
    ChildProcess chromium(env, home + "/dom");
    for (int i = 0; i < 300 && chromium.running(); ++i) usleep(100000);
  }
  std::ifstream file(home + "/dom");
  std::string dom((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  size_t at = dom.find("REMOTE_ADDR = ");
  return at == std::string::npos ? "" : dom.substr(at + 14, dom.find('\n', at) - at - 14);
}

TEST(RealBrowser, FollowsApplyOnGnomeAndKde) {
  if (FindProgram("chromium").empty() || !GnomeProxySchemaInstalled()) {
    GTEST_SKIP() << "chromium and gsettings-desktop-schemas are needed (make test installs them)";
  }
  TempDir folder;
  std::unique_ptr<judge::JudgeServer> judge = StartJudge("127.0.7.41");
  std::ofstream(folder / "judge-only") << "^127\\.0\\.7\\.41$\n";  // all the proxy may reach
  RunningServer proxy = StartTinyproxy(
      folder, "127.0.7.42", "127.0.7.43",
      "Filter \"" + (folder / "judge-only") + "\"\nFilterDefaultDeny Yes\nFilterExtended Yes");
  RunningServer socks = StartMicrosocks("127.0.7.44", "127.0.7.45");
  ASSERT_TRUE(judge && proxy && socks);
  std::string url = "http://127.0.7.41:" + std::to_string(judge->port()) + "/";
  for (const char* desktop : {"GNOME", "KDE"}) {
    std::string home = folder / desktop;
    std::filesystem::create_directories(home);
    std::string keyfile = home + "/.config/glib-2.0/settings/keyfile";
    GSettingsBackend* backend = g_keyfile_settings_backend_new(keyfile.c_str(), "/", nullptr);
    GSettingsConnectionProxy gnome(backend);
    g_object_unref(backend);
    KioslavercConnectionProxy kde(home + "/.config/kioslaverc");  // where Chromium reads it
    ConnectionProxyComponent& settings =
        std::string(desktop) == "KDE" ? static_cast<ConnectionProxyComponent&>(kde) : gnome;
    std::vector<std::string> env = {std::string("XDG_CURRENT_DESKTOP=") + desktop,
                                    "GSETTINGS_BACKEND=keyfile", "KDE_SESSION_VERSION=5"};
    ProxyFields fields;
    fields.proxy = CheckState::Checked;
    fields.servers[0] = proxy.proxy();
    fields.bypass = "<-loopback>";  // Chromium would otherwise go straight to loopback
    auto seen_as = [&] {
      WriteProxySettings(settings, fields);
      return SeenByTheJudge(home, env, url);
    };
    EXPECT_EQ(seen_as(), "127.0.7.43") << desktop;  // through the HTTP proxy
    fields.servers[0].clear();
    fields.socks = socks.proxy();
    EXPECT_EQ(seen_as(), "127.0.7.45") << desktop;  // through the SOCKS server alone
    fields.proxy = CheckState::Unchecked;
    EXPECT_EQ(seen_as(), "127.0.0.1") << desktop;  // direct
  }
}

}  // namespace
}  // namespace quillet::testing
