// quillet-judge: a private judge page for Quillet's proxy checks.
//   quillet-judge --address 0.0.0.0 --port 8080
// It prints "listening on ADDRESS:PORT" once it is ready and runs until SIGINT or SIGTERM.
#include <sys/resource.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>

#include "judge/judge_server.h"

namespace {

// Lets the judge hold as many connections as the hard limit on open files allows.
void RaiseOpenFileLimit() {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  quillet::judge::ServerOptions options;
  CLI::App app{"A judge page for Quillet: answers every GET with what it saw of the visitor."};
  app.add_option("-a,--address", options.address, "IPv4 address to listen on")
      ->capture_default_str();
  app.add_option("-p,--port", options.port, "port to listen on (0: any free port)")
      ->capture_default_str();
  app.add_option("--max-connections", options.max_connections, "connections served at once")
      ->capture_default_str();
  app.add_option("--timeout", options.idle_timeout_s, "seconds an idle connection is kept")
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

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
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
