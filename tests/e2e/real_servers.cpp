#include "e2e/real_servers.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <random>
#include <thread>

#include "e2e/loopback_server.h"

namespace quillet::testing {
namespace {

constexpr int kStartMs = 10000;

// Starts a server on a fresh free port, trying again on another port if it does not come up
// (another test may have taken the port in between).
template <class Launch>
RunningServer StartOnFreePort(const std::string& address, Launch launch) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    RunningServer server;
    server.address = address;
    server.port = ClosedPort(address);
    launch(server);
    if (!server.process) return server;
    if (WaitForPort(address, server.port, kStartMs)) return server;
    server.process->Stop();
  }
  return {};
}

}  // namespace

RunningServer StartJudge(const TempFolder& folder, const std::string& address) {
  // The test page's port is a 16-bit signed number in the settings: the judge stays below 32768.
  std::mt19937 random(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr)));
  std::uniform_int_distribution<int> ports(20000, 32767);
  for (int attempt = 0; attempt < 10; ++attempt) {
    RunningServer judge;
    judge.address = address;
    judge.port = static_cast<uint16_t>(ports(random));
    judge.log = folder.File("judge-" + address + ".log");
    judge.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{QUILLET_JUDGE_PROGRAM, "--address", address, "--port",
                                 std::to_string(judge.port)},
        judge.log);
    const std::string ready = "listening on " + judge.proxy() + "\n";
    for (int i = 0; i < kStartMs / 20 && judge.process->running(); ++i) {
      if (ReadFile(judge.log).find(ready) != std::string::npos) return judge;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    judge.process->Stop();
  }
  return {};
}

RunningServer StartTinyproxy(const TempFolder& folder, const std::string& listen,
                             const std::string& bind, const std::string& extra) {
  std::string program = FindProgram("tinyproxy");
  if (program.empty()) return {};
  return StartOnFreePort(listen, [&](RunningServer& server) {
    std::string name = "tinyproxy-" + listen + "-" + bind;
    std::string config = folder.File(name + ".conf");
    std::ofstream(config) << ("Port " + std::to_string(server.port) + "\nListen " + listen +
                              "\nBind " + bind + "\nTimeout 30\nMaxClients 20\nLogLevel Info\n" +
                              extra + "\n");
    server.log = folder.File(name + ".log");
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-d", "-c", config}, server.log);
  });
}

RunningServer StartMicrosocks(const TempFolder& folder, const std::string& listen,
                              const std::string& bind) {
  std::string program = FindProgram("microsocks");
  if (program.empty()) return {};
  return StartOnFreePort(listen, [&](RunningServer& server) {
    server.log = folder.File("microsocks-" + listen + ".log");
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-i", listen, "-p", std::to_string(server.port), "-b",
                                 bind},
        server.log);
  });
}

RunningServer StartSquid(const TempFolder& folder, const std::string& listen,
                         const std::string& extra) {
  std::string program = FindProgram("squid");
  if (program.empty()) return {};
  std::string user = "proxy";
  if (geteuid() == 0) {
    if (passwd* account = getpwnam(user.c_str())) {
      if (chown(folder.path().c_str(), account->pw_uid, account->pw_gid) != 0) return {};
    }
  }
  return StartOnFreePort(listen, [&](RunningServer& server) {
    std::string name = "squid-" + listen;
    std::string config = folder.File(name + ".conf");
    std::string files = folder.File(name);
    std::ofstream(config) << ("http_port " + server.proxy() + "\nvisible_hostname quillet-test\n" +
                              "pid_filename " + files + ".pid\ncache_log " + files +
                              ".cache.log\n" +
                              "access_log none\ncache_store_log none\ncache deny all\n" +
                              "cache_mem 8 MB\ncoredump_dir " + folder.path() + "\n" +
                              "netdb_filename none\npinger_enable off\n" +
                              "dns_nameservers 127.0.0.1\nshutdown_lifetime 0 seconds\n" +
                              "cache_effective_user " + user + "\nacl loopback src 127.0.0.0/8\n" +
                              "http_access allow loopback\nhttp_access deny all\n" +
                              "tcp_outgoing_address " + listen + "\n" + extra + "\n");
    server.log = files + ".cache.log";
    server.process = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-N", "-f", config}, folder.File(name + ".out"));
  });
}

}  // namespace quillet::testing
