#include "e2e/real_servers.h"

#include <arpa/inet.h>
#include <glib.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

#include "fakes/loopback_server.h"

namespace quillet::testing {
namespace {

// A squid that caches nothing, asks no name server, and serves loopback clients only.
constexpr const char* kSquidSettings =
    "visible_hostname quillet-test\naccess_log none\ncache_store_log none\ncache deny all\n"
    "cache_mem 8 MB\nnetdb_filename none\npinger_enable off\ndns_nameservers 127.0.0.1\n"
    "shutdown_lifetime 0 seconds\ncache_effective_user proxy\nacl loopback src 127.0.0.0/8\n"
    "http_access allow loopback\nhttp_access deny all\n";

bool WaitForPort(const std::string& address, uint16_t port) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &where.sin_addr);
  for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool up = connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    close(fd);
    if (up) return true;
  }
  return false;
}

// Starts the installed `program` on a fresh free port, trying again on another port if it does
// not come up (another test may have taken the port in between).
template <class Launch>
RunningServer StartOnFreePort(const std::string& program, const std::string& address,
                              Launch launch) {
  for (int attempt = 0; attempt < 3 && !program.empty(); ++attempt) {
    RunningServer server{nullptr, address, ClosedPort(address)};
    launch(server);
    if (WaitForPort(address, server.port)) return server;
  }
  return {};
}

}  // namespace

std::string FindProgram(const std::string& name) {
  for (std::string folder : {"", "/usr/sbin/", "/sbin/", "/usr/local/sbin/"}) {
    g_autofree gchar* found = g_find_program_in_path((folder + name).c_str());
    if (found) return found;
  }
  return "";
}

std::unique_ptr<judge::JudgeServer> StartJudge(const std::string& address) {
  std::mt19937 random(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr)));
  std::uniform_int_distribution<int> ports(32768, 65535);
  for (int attempt = 0; attempt < 10; ++attempt) {
    judge::ServerOptions options{address, static_cast<uint16_t>(ports(random))};
    auto judge = std::make_unique<judge::JudgeServer>(options);
    if (judge->running()) return judge;
  }
  return nullptr;
}

RunningServer StartTinyproxy(const TempDir& folder, const std::string& listen,
                             const std::string& bind, const std::string& extra) {
  std::string program = FindProgram("tinyproxy");
  return StartOnFreePort(program, listen, [&](RunningServer& server) {
    std::string name = folder / ("tinyproxy-" + listen + "-" + bind);
    std::ofstream(name + ".conf") << "Port " << server.port << "\nListen " << listen << "\nBind "
                                  << bind << "\nTimeout 30\nMaxClients 20\nLogLevel Info\n"
                                  << extra << "\n";
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-d", "-c", name + ".conf"}, name + ".log");
  });
}

RunningServer StartTlsPage(const TempDir& folder, const std::string& listen) {
  std::string program = FindProgram("openssl");  // without it no certificate is made
  std::string key = folder / "page-key.pem", cert = folder / "page-cert.pem";
  std::string make_cert = program +
                          " req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=" + listen +
                          " -addext subjectAltName=IP:" + listen + " -keyout '" + key + "' -out '" +
                          cert + "' 2>/dev/null";
  if (std::system(make_cert.c_str()) != 0) return {};
  return StartOnFreePort(program, listen, [&](RunningServer& server) {
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "s_server", "-quiet", "-www", "-accept", server.proxy(),
                                 "-cert", cert, "-key", key},
        folder / "page.log");
  });
}

RunningServer StartMicrosocks(const std::string& listen, const std::string& bind,
                              const std::vector<std::string>& extra) {
  std::string program = FindProgram("microsocks");
  return StartOnFreePort(program, listen, [&](RunningServer& server) {
    std::vector<std::string> command = {program, "-i", listen, "-p", std::to_string(server.port),
                                        "-b",    bind};
    command.insert(command.end(), extra.begin(), extra.end());
    server.process = std::make_unique<ChildProcess>(command, "/dev/null");
  });
}

RunningServer StartDante(const TempDir& folder, const std::string& listen) {
  std::string program = FindProgram("danted");
  // Never root: as root it runs as "nobody", else as the user who runs the test.
  std::string user = geteuid() == 0 ? "nobody" : g_get_user_name();
  return StartOnFreePort(program, listen, [&](RunningServer& server) {
    std::string name = folder / ("dante-" + listen);
    std::ofstream(name + ".conf") << "logoutput: " << name << ".log\ninternal: " << listen
                                  << " port = " << server.port << "\nexternal: " << listen
                                  << "\nsocksmethod: none\nclientmethod: none\nuser.privileged: "
                                  << user << "\nuser.unprivileged: " << user
                                  << "\nclient pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                                     "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 }\n";
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-N", "1", "-f", name + ".conf", "-p", name + ".pid"},
        name + ".out");
  });
}

RunningServer StartSquid(const TempDir& folder, const std::string& listen,
                         const std::string& extra) {
  std::string program = FindProgram("squid");
  passwd* account = getpwnam("proxy");
  if (program.empty() || !account) return {};
  if (geteuid() == 0 && chown(folder.path().c_str(), account->pw_uid, account->pw_gid) != 0)
    return {};
  return StartOnFreePort(program, listen, [&](RunningServer& server) {
    std::string name = folder / ("squid-" + listen);
    std::ofstream(name + ".conf") << "http_port " << server.proxy() << "\ntcp_outgoing_address "
                                  << listen << "\npid_filename " << name << ".pid\ncache_log "
                                  << name << ".cache.log\ncoredump_dir " << folder.path() << "\n"
                                  << kSquidSettings << extra << "\n";
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-N", "-f", name + ".conf"}, name + ".out");
  });
}

}  // namespace quillet::testing
