// quillet-judge: a private judge page for Quillet's proxy checks.
//   quillet-judge [--address 0.0.0.0] [--port 8080]
// It prints "listening on ADDRESS:PORT" and the test page to give Quillet once it is ready, and
// runs until SIGINT or SIGTERM.
#include <sys/resource.h>

#include <csignal>
#include <cstdio>

#include "cli/command_line.h"
#include "judge/judge_server.h"
#include "platform/posix/own_address.h"

namespace {

// The port the judge listens on unless told otherwise. Quillet reads a test page's port as a
// 16-bit signed number, so it must stay below 32768.
constexpr uint16_t kDefaultPort = 8080;

const char kFooter[] =
    "Exit status: 0 stopped by SIGINT or SIGTERM, 1 the address or port cannot be listened on, "
    "2 bad usage.";

// Lets the judge hold as many connections as the hard limit on open files allows.
void RaiseOpenFileLimit() {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

// The address a proxy reaches the judge at: the one it listens on, or for all of the machine's
// addresses the one that holds the default route.
std::string ReachableAddress(const std::string& listening) {
  if (listening != "0.0.0.0") return listening;
  std::string own = quillet::OwnAddress();
  return own.empty() ? "127.0.0.1" : own;
}

}  // namespace

int main(int argc, char** argv) {
  quillet::judge::ServerOptions options;
  options.address = "0.0.0.0";
  options.port = kDefaultPort;
  CLI::App app{"A judge page for Quillet: answers every GET with what it saw of the visitor.",
               "quillet-judge"};
  app.footer(kFooter);
  quillet::cli::Prepare(app);
  app.add_option("-a,--address", options.address, "IPv4 address to listen on")
      ->capture_default_str();
  app.add_option("-p,--port", options.port, "port to listen on (0: any free port)")
      ->capture_default_str();
  app.add_option("--max-connections", options.max_connections, "connections served at once")
      ->capture_default_str();
  app.add_option("--timeout", options.idle_timeout_s, "seconds an idle connection is kept")
      ->capture_default_str();
  auto parsed = quillet::cli::Parse(app, std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.exit_code >= 0) {
    std::fputs(parsed.output.c_str(), stdout);
    std::fputs(parsed.error.c_str(), stderr);
    return parsed.exit_code;
  }

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before the server's threads start
  RaiseOpenFileLimit();

  quillet::judge::JudgeServer server(options);
  if (!server.running()) {
    std::fprintf(stderr, "quillet-judge: %s\n", server.error().c_str());
    return 1;
  }
  std::printf("listening on %s:%u\n", options.address.c_str(), server.port());
  std::printf("test page for Quillet: http://%s:%u/\n", ReachableAddress(options.address).c_str(),
              server.port());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
