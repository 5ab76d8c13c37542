// Verification against real proxy servers on loopback addresses: the judge on 127.0.2.1, the
// proxies on 127.0.1.x, the own address 127.0.0.1 (none of them is part of another).
// Real browsers follow Apply exactly where the notice after it says so: headless Chromium and
// Firefox ESR, fresh profiles, on a GNOME, a KDE and an XFCE desktop of their own, fetch a
// judge page that records its visitor's address, through the proxy that Quillet wrote into
// the desktop's settings, or direct. Everything runs in a network of its own that has only
// loopback, so no browser reaches anything else.
#define G_SETTINGS_ENABLE_BACKEND
#include <arpa/inet.h>
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "browser/apply.h"
#include "browser/desktop_proxy_settings.h"
#include "core/text.h"
#include "e2e/real_servers.h"
#include "fakes/fake_user_interface.h"
#include "fakes/loopback_server.h"
#include "fakes/verify_fixture.h"
#include "judge/judge_page.h"
#include "net/socket_layer.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/gsettings_browser_info.h"
#include "platform/posix/gsettings_connection_proxy.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/kioslaverc_connection_proxy.h"
#include "platform/posix/posix_parallel_backend.h"
#include "verify/proxy_watch.h"
#include "verify/public_address.h"
#include "verify/verify_command.h"

namespace quillet {
namespace {

using namespace quillet::testing;

constexpr const char* kJudgeAddress = "127.0.2.1";
constexpr const char* kOwnAddress = "127.0.0.1";

struct Expected {
  std::string label, server_ip, server_name, status, secure;
  std::string level = "";
  std::string protocol = "";  // empty: HTTP
  ProxyCredentials credentials = {};
};

class RealProxiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any) || FindProgram("tinyproxy").empty() ||
        FindProgram("squid").empty() || FindProgram("microsocks").empty() ||
        FindProgram("danted").empty())
      GTEST_SKIP() << "needs ICMP sockets (see README, troubleshooting) and tinyproxy, squid, "
                      "microsocks, dante (make test installs them)";
    judge_ = StartJudge(kJudgeAddress);
    ASSERT_TRUE(judge_);
    UseJudge(app_, kJudgeAddress + (":" + std::to_string(judge_->port())), "/", "HTTP_CLIENT_IP");
  }

  RunningServer Tinyproxy(const std::string& listen, const std::string& bind,
                          const std::string& extra) {
    RunningServer server = StartTinyproxy(folder_, listen, bind, extra);
    EXPECT_TRUE(server) << "tinyproxy on " << listen << " did not start";
    return server;
  }

  // Adds the rows to the list, runs the Verify command over every row and checks the rows added.
  void VerifyAll(const std::vector<Expected>& rows,
                 std::function<void(const std::string&)> title_changed = nullptr) {
    const int first = list_.LastRow() + 1;
    for (const Expected& row : rows) {
      int added = list_.AddRow({"", kServerIpIndent + row.server_ip, row.server_name, row.label, "",
                                "", "", "", "", ""});
      list_.SetProtocolAt(added, row.protocol);
      list_.SetCredentialsAt(added, row.credentials);
    }
    SelectForVerify({list_, app_, ui_}, 1, list_.LastRow());
    VerifyServices services{backend_, [](const std::string&) {}, "Quillet",
                            [] { return std::string("now"); }, std::move(title_changed)};
    VerifyToEnd({list_, app_, ui_}, services, 1);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.last_message();
    for (size_t i = 0; i < rows.size(); ++i) {
      const Expected& row = rows[i];
      const ProxyRow& got = list_.Row(first + static_cast<int>(i));
      EXPECT_EQ(got.cells[kColStatus] + "|" + got.cells[kColSecure] + "|" + got.anonymity() + "|" +
                    got.cells[kColVerified] + "|" + got.cells[kColServerIp],
                row.status + "|" + row.secure + "|" + row.level + "|now|" + kServerIpIndent +
                    row.server_ip)
          << row.label;  // the address is never rewritten
      const std::string& ping = got.cells[kColPing];
      bool ok = row.status == "OK";
      EXPECT_TRUE(ok ? IsNumeric(ping) : ping.empty()) << row.label << ": ping " << ping;
      EXPECT_EQ(got.back[kColStatus], ok ? PaletteColor(kPaletteBrightWhite) : list_.FailColor)
          << row.label;
    }
  }

  TempDir folder_;
  std::unique_ptr<judge::JudgeServer> judge_;
  GetAddrInfoResolver resolver_;
  PosixParallelBackend backend_{resolver_};
  ProxyList list_;
  AppSettings app_;
  FakeUserInterface ui_;
};

TEST_F(RealProxiesTest, everyKindOfProxyGetsItsOutcome) {
  RunningServer transparent = Tinyproxy("127.0.1.11", "127.0.1.11", "XTinyproxy Yes");
  RunningServer anonymous = Tinyproxy("127.0.1.12", "127.0.1.12", "");
  RunningServer elite = Tinyproxy("127.0.1.13", "127.0.1.13", "DisableViaHeader Yes");
  RunningServer deny = Tinyproxy("127.0.1.14", "127.0.1.14", "Allow 127.0.0.2");
  RunningServer by_name = Tinyproxy(kOwnAddress, "127.0.1.18", "DisableViaHeader Yes");
  RunningServer squid = StartSquid(folder_, "127.0.1.21", "forwarded_for on");
  LoopbackServer black_hole("127.0.1.16", CloseAtOnce(), false);
  LoopbackServer not_a_judge(
      "127.0.1.17", AnswerWith("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>Hi</p>"));
  std::string closed = "127.0.1.15:" + std::to_string(ClosedPort("127.0.1.15"));
  std::string name_port = std::to_string(by_name.port);
  RunningServer socks = StartMicrosocks("127.0.1.41", "127.0.1.41");
  RunningServer dante = StartDante(folder_, "127.0.1.45");
  ASSERT_TRUE(squid && socks && dante) << "squid, microsocks or dante did not start";
  RunningServer connect =
      Tinyproxy("127.0.1.42", "127.0.1.42", "ConnectPort " + std::to_string(judge_->port()));
  // Takes the client's greeting, accepts "no authentication", then hangs up.
  LoopbackServer greets_and_closes("127.0.1.44", [](Socket fd, const std::atomic<bool>&) {
    char greeting[3];
    if (recv(static_cast<int>(fd), greeting, sizeof greeting, 0) > 0)
      send(static_cast<int>(fd), "\x05\x00", 2, MSG_NOSIGNAL);
  });

  // A proxy that puts its advert in front of the judge's page (of an elite visit).
  LoopbackServer rewriting(
      "127.0.1.19",
      AnswerWith("HTTP/1.0 200 OK\r\n\r\n<script>ad()</script>\n" +
                 judge::JudgePage({"127.0.1.19", 80, "GET", "/", "HTTP/1.0", 0, {}})));
  const std::vector<Expected> rows = {
      {"changes the page", rewriting.proxy(), "", "OK", "?"},
      {"transparent", transparent.proxy(), "", "OK", "N", "transparent"},
      {"anonymous", anonymous.proxy(), "", "OK", "Y", "anonymous"},
      {"elite", elite.proxy(), "", "OK", "Y", "elite"},
      {"squid transparent", squid.proxy(), "", "OK", "N", "transparent"},
      {"deny", deny.proxy(), "", "403", ""},
      {"closed port", closed, "", "--", ""},
      {"black hole", black_hole.proxy(), "", "--", ""},
      {"not a judge", not_a_judge.proxy(), "", "OK", "?"},
      {"by name", "", "localhost:" + name_port, "OK", "Y", "elite"},
      {"unresolvable", "", "no..such.host:" + name_port, "--", ""},
      {"socks5", socks.proxy(), "", "OK", "Y", "elite", "socks5"},
      {"socks4 to a socks5-only server", socks.proxy(), "", "--", "", "", "socks4"},
      {"dante socks4", dante.proxy(), "", "OK", "Y", "elite", "socks4"},
      {"dante socks5", dante.proxy(), "", "OK", "Y", "elite", "socks5"},
      {"connect", connect.proxy(), "", "OK", "Y", "elite", "https"},
      {"socks port refusing", closed, "", "--", "", "", "socks5"},
      {"closes after greeting", greets_and_closes.proxy(), "", "--", "", "", "socks5"},
      {"http listed as socks4a", anonymous.proxy(), "", "--", "", "", "socks4a"},
      {"http listed as socks5", elite.proxy(), "", "--", "", "", "socks5"},
  };
  VerifyAll(rows);
  EXPECT_TRUE(!app_.Verifying && app_.ListDirty);
  // Every honest proxy brought the judge's page unchanged; the rewriting one is told apart.
  EXPECT_EQ(CheckFailureWords(list_.Row(1).failure, "").substr(0, 20), "Changed by the proxy");
}

// Proxies that want a user name and password get them; a wrong or missing password fails with
// the proxy's refusal (tinyproxy answers a wrong one with 401, none with 407). quillet-check
// gives a row the same cells (CheckRunTest.aRowThatCannot...) and the list forms are the list
// file's (ListFileTest.protocolsAndCredentials...).
TEST_F(RealProxiesTest, credentialsReachHttpAndSocksProxiesAndRefusalsAreSaid) {
  RunningServer http =
      Tinyproxy("127.0.1.51", "127.0.1.51", "BasicAuth alice s3cret\nDisableViaHeader Yes");
  RunningServer socks = StartMicrosocks("127.0.1.52", "127.0.1.52", {"-u", "bob", "-P", "pa:ss"});
  ASSERT_TRUE(socks) << "microsocks did not start";
  // Right and wrong ones through HTTP: QuilletFormTest.credentials_pastedVerified...
  VerifyAll({{"http none", http.proxy(), "", "407", ""},
             {"socks5", socks.proxy(), "", "OK", "Y", "elite", "socks5", {"bob", "pa:ss"}},
             {"socks5 wrong", socks.proxy(), "", "--", "", "", "socks5", {"bob", "nope"}},
             {"socks5 none", socks.proxy(), "", "--", "", "", "socks5"}});
  for (int row : {3, 4}) EXPECT_EQ(list_.Row(row).failure, CheckFailure::AuthRefused) << row;
}

// Without FindIP and without a known own address, the judge's REMOTE_ADDR on a direct visit is
// what tells a transparent proxy from an elite one.
TEST_F(RealProxiesTest, theJudgeNamesTheOwnAddressOnADirectVisit) {
  RunningServer transparent = Tinyproxy("127.0.1.31", "127.0.1.31", "XTinyproxy Yes");
  RunningServer elite = Tinyproxy("127.0.1.32", "127.0.1.32", "DisableViaHeader Yes");
  app_.FindIP = app_.MyIP = "";
  std::string title;
  VerifyAll({{"transparent", transparent.proxy(), "", "OK", "N", "transparent"},
             {"elite", elite.proxy(), "", "OK", "Y", "elite"}},
            [&title](const std::string& caption) { title = caption; });
  EXPECT_EQ(app_.PublicIP, kOwnAddress);
  EXPECT_TRUE(title.ends_with(std::string(": ") + kOwnAddress)) << title;

  // The Check button's line for a page that names no REMOTE_ADDR (a judge out of reach is the
  // window's own test).
  LoopbackServer no_address("127.0.1.33", AnswerWith("HTTP/1.0 200 OK\r\n\r\nHTTP_CLIENT_IP"));
  DirectVisit bare =
      VisitTypedTestPage(backend_, ProbeSettings::From(app_), no_address.proxy() + "/x", nullptr);
  EXPECT_TRUE(bare.answered && bare.address.empty());
  std::string line = JudgeCheckLine(bare, "HTTP_CLIENT_IP");
  EXPECT_TRUE(line.starts_with("Answered in ") &&
              line.find(" is there; no REMOTE_ADDR") != line.npos)
      << line;
}

// An https test page is fetched through the proxy's CONNECT tunnel, and only from a server whose
// certificate is trusted.
TEST_F(RealProxiesTest, anHttpsTestPageGoesThroughTheConnectTunnel) {
  RunningServer page = StartTlsPage(folder_, "127.0.3.1");
  ASSERT_TRUE(page) << "openssl s_server did not start";
  RunningServer tunnel =
      Tinyproxy("127.0.1.43", "127.0.1.43", "ConnectPort " + std::to_string(page.port));
  UseJudge(app_, "https://" + page.proxy(), "/", "s_server");
  VerifyAll({{"certificate not trusted", tunnel.proxy(), "", "--", ""}});
  setenv("SSL_CERT_FILE", (folder_ / "page-cert.pem").c_str(), 1);
  VerifyAll({{"certificate trusted", tunnel.proxy(), "", "OK", "Y", "elite"}});
  unsetenv("SSL_CERT_FILE");
}

// This process and its children in a network of their own with loopback only.
bool LoopbackOnly() {
  uid_t uid = getuid();
  gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
  std::ofstream("/proc/self/setgroups") << "deny";
  std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
  std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
  ifreq request{};
  std::strcpy(request.ifr_name, "lo");
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags |= IFF_UP) &&
            ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  close(fd);
  return up;
}

// Starts `browser` as a new user of the desktop in `home` would, at `url`, and waits (at most
// 30 s) for it to end.
void Visit(const std::string& browser, const std::string& home, std::vector<std::string> env,
           const std::string& url) {
  std::string profile = home + "/" + browser + "-" + std::to_string(std::rand());
  std::filesystem::create_directories(profile);
  env.insert(env.begin(), {"/usr/bin/env", "-u", "DBUS_SESSION_BUS_ADDRESS", "HOME=" + home,
                           "XDG_CONFIG_HOME=" + home + "/.config", "GSETTINGS_BACKEND=keyfile"});
  if (browser == "Chromium") {
    env.insert(env.end(), {FindProgram("chromium"), "--headless", "--no-sandbox", "--disable-gpu",
                           "--no-first-run", "--disable-background-networking",
                           "--user-data-dir=" + profile, "--dump-dom", url});
  } else {
    // Firefox keeps its default "use system proxy settings"; it would never send loopback
    // addresses through a proxy, and the judge lives on loopback.
    std::ofstream(profile + "/user.js")
        << "user_pref(\"network.proxy.allow_hijacking_localhost\", true);\n";
    env.insert(env.end(), {FindProgram("firefox-esr"), "--headless", "--no-remote", "--profile",
                           profile, "--screenshot", profile + "/shot.png", url});
  }
  ChildProcess child(env, profile + ".log");
  for (int i = 0; i < 300 && child.running(); ++i) usleep(100000);
}

// Applies `fields` with, in place of their HTTP proxy, one that nothing answers, and lets the
// watch (every second) find that out and apply the verified HTTP proxy of `fields` instead.
void LetTheWatchApply(const std::string& judge, const ProxyFields& fields,
                      const std::function<bool(ProxyFields)>& apply) {
  std::string dead = "127.0.7.46:" + std::to_string(ClosedPort("127.0.7.46"));
  ProxyList list;
  list.AddRow({"", kServerIpIndent + dead, "", "", "", "", "", "", "", ""});
  list.AddRow({"", kServerIpIndent + fields.servers[0], "", "", "", "", "OK", "Y", "10", ""});
  AppSettings app;
  UseJudge(app, judge, "/watch", "<p>");
  app.WatchSeconds = 1;
  app.PingMethod = "tcp";
  FakeUserInterface ui;
  GetAddrInfoResolver resolver;
  PosixParallelBackend backend{resolver};
  MemoryProxyFields view;
  view.fields = fields;
  view.fields.servers[0] = dead;
  std::string told;
  ProxyWatch watch({list, app, ui},
                   {backend, view, [&] { return apply(view.fields); },
                    [&](const WatchNews& news) { told += news.notify ? news.summary : ""; },
                    [] { return std::string("now"); }});
  apply(view.fields);
  watch.Watch(view.fields);
  for (auto end = ProxyWatch::Clock::now() + std::chrono::seconds(15);
       told.empty() && ProxyWatch::Clock::now() < end;)
    std::this_thread::sleep_for(std::chrono::milliseconds(watch.Pump()));
  EXPECT_EQ(told, "Quillet switched the proxy");
}

TEST(RealBrowsers, GoThroughTheProxyExactlyWhereTheNoticeSaysAndDirectWhenOff) {
  if (FindProgram("chromium").empty() || FindProgram("firefox-esr").empty() ||
      !GnomeProxySchemaInstalled()) {
    GTEST_SKIP() << "chromium, firefox-esr and gsettings-desktop-schemas are needed (make test "
                    "installs them)";
  }
  if (!LoopbackOnly()) GTEST_SKIP() << "no network namespace of its own for the browsers";
  TempDir folder;
  // A judge that records the address of the visitor of each path.
  std::mutex mutex;
  std::map<std::string, std::string> visitors;
  auto record = [&](Socket fd, const std::atomic<bool>&) {
    char head[4096];
    ssize_t got = recv(static_cast<int>(fd), head, sizeof head, 0);
    std::string path = std::string(head, got > 0 ? static_cast<size_t>(got) : 0);
    path = path.substr(path.find(' ') + 1);
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &size);
    char visitor[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &peer.sin_addr, visitor, sizeof visitor);
    std::lock_guard lock(mutex);
    visitors[path.substr(0, path.find(' '))] = visitor;
    SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>" + std::string(visitor));
  };
  LoopbackServer judge("127.0.7.41", record, true, 0, false);
  std::ofstream(folder / "judge-only") << "^127\\.0\\.7\\.41$\n";  // all the proxy may reach
  RunningServer proxy = StartTinyproxy(
      folder, "127.0.7.42", "127.0.7.43",
      "Filter \"" + (folder / "judge-only") + "\"\nFilterDefaultDeny Yes\nFilterExtended Yes");
  RunningServer socks = StartMicrosocks("127.0.7.44", "127.0.7.45");
  ASSERT_TRUE(proxy && socks);
  for (auto [name, family] :
       {std::pair{"GNOME", DesktopFamily::Gnome}, std::pair{"KDE", DesktopFamily::Kde},
        std::pair{"XFCE", DesktopFamily::Other}}) {
    std::string home = folder / name;
    std::string keyfile = home + "/.config/glib-2.0/settings/keyfile";
    GSettingsBackend* backend = g_keyfile_settings_backend_new(keyfile.c_str(), "/", nullptr);
    std::vector<DesktopProxySettings::Target> targets;
    targets.push_back(
        {ProxyTarget::GSettings, std::make_unique<GSettingsConnectionProxy>(backend)});
    targets.push_back({ProxyTarget::Kioslaverc,
                       std::make_unique<KioslavercConnectionProxy>(home + "/.config/kioslaverc")});
    g_object_unref(backend);
    DesktopProxySettings settings(family, name, std::move(targets), home + "/kept.txt");
    std::vector<std::string> env = {std::string("XDG_CURRENT_DESKTOP=") + name,
                                    "KDE_SESSION_VERSION=5"};
    std::string said;  // the notice after the last Apply that had something to say
    auto apply = [&](ProxyFields fields) {
      WriteProxySettings(settings, fields);
      if (std::string notice = settings.FinishApply().text; !notice.empty()) said = notice;
      return true;
    };
    // Through the HTTP proxy (on GNOME the watch's choice once the applied one fails), through
    // the SOCKS server alone, direct.
    for (int round = 0; round < 3; ++round) {
      ProxyFields fields;
      fields.proxy = round < 2 ? CheckState::Checked : CheckState::Unchecked;
      fields.servers[0] = round == 0 ? proxy.proxy() : "";
      fields.socks = round == 1 ? socks.proxy() : "";
      fields.bypass = "<-loopback>";  // Chromium would otherwise go straight to loopback
      if (round == 0 && family == DesktopFamily::Gnome) {
        LetTheWatchApply(judge.proxy(), fields, apply);
      } else {
        apply(fields);
      }
      for (std::string browser : {"Chromium", "Firefox"}) {
        bool follows = said.substr(0, said.find('\n')).find(browser) != std::string::npos;
        std::string path = "/" + std::string(name) + "-" + browser + std::to_string(round);
        Visit(browser, home, env, "http://" + judge.proxy() + path);
        const char* through[] = {"127.0.7.43", "127.0.7.45", "127.0.0.1"};
        // Firefox asks the SOCKS 5 server in SOCKS 4a and reaches nothing.
        bool nowhere = round == 1 && browser == "Firefox";
        std::lock_guard lock(mutex);
        EXPECT_EQ(visitors[path], follows   ? through[round]
                                  : nowhere ? ""
                                            : "127.0.0.1")
            << browser << " on " << name << "; the notice said:\n"
            << said;
      }
    }
  }
}

}  // namespace
}  // namespace quillet
