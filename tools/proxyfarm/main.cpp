// proxyfarm: thousands of HTTP proxies of known behaviour on loopback addresses, in one process.
// It writes the list of its proxies and the ground truth a correct checker must reproduce, then
// serves until its lifetime ends or it is stopped.
#include <arpa/inet.h>
#include <CLI/CLI.hpp>

#include <cstdio>

#include "farm_plan.h"
#include "farm_server.h"

int main(int argc, char** argv) {
  CLI::App app{"Stand-in proxies on loopback addresses for tests and benchmarks"};
  std::string first = "127.10.0.1";
  int count = 100;
  uint16_t port = 8080;
  std::string mix_text = "elite=40,anonymous=15,transparent=15,deny=10,refused=10,blackhole=10";
  unsigned seed = 1;
  std::string list_path, truth_path;
  proxyfarm::ServerOptions options;
  app.add_option("--first", first, "first loopback address")->capture_default_str();
  app.add_option("--count", count, "number of proxies")
      ->check(CLI::Range(1, 200000))
      ->capture_default_str();
  app.add_option("--port", port, "port on every address")->capture_default_str();
  app.add_option("--mix", mix_text,
                 "kinds in percent: elite, anonymous, transparent, deny, refused, blackhole, slow, "
                 "garbage")
      ->capture_default_str();
  app.add_option("--seed", seed, "shuffle seed")->capture_default_str();
  app.add_option("--list", list_path, "write the list file here");
  app.add_option("--truth", truth_path, "write the ground truth (CSV) here");
  app.add_option("--slow-ms", options.slow_ms, "delay of slow proxies")->capture_default_str();
  app.add_option("--lifetime", options.lifetime_s, "stop after this many seconds")
      ->capture_default_str();
  app.add_option("--ready-file", options.ready_file, "written once all proxies listen");
  app.add_flag("--any-address", options.any_address,
               "one listener on the wildcard address for all proxies (only in a private network "
               "namespace with loopback alone)");
  CLI11_PARSE(app, argc, argv);

  in_addr address{};
  if (inet_pton(AF_INET, first.c_str(), &address) != 1 || (ntohl(address.s_addr) >> 24) != 127) {
    std::fprintf(stderr, "proxyfarm: --first must be a loopback address (127.x.y.z)\n");
    return 2;
  }
  if ((ntohl(address.s_addr) & 0xFFFFFF) + static_cast<uint32_t>(count) * 2 > 0xFFFFFF) {
    std::fprintf(stderr, "proxyfarm: %d proxies do not fit above %s in 127.0.0.0/8\n", count,
                 first.c_str());
    return 2;
  }
  std::vector<proxyfarm::MixEntry> mix;
  std::string error;
  if (!proxyfarm::ParseMix(mix_text, mix, error)) {
    std::fprintf(stderr, "proxyfarm: %s\n", error.c_str());
    return 2;
  }
  if (options.any_address && !proxyfarm::LoopbackOnly()) {
    std::fprintf(stderr,
                 "proxyfarm: --any-address listens on every interface; run it in a private "
                 "network namespace (unshare -n) that has loopback alone\n");
    return 2;
  }
  auto plan = proxyfarm::MakePlan(first, count, port, mix, seed);
  if (options.any_address) proxyfarm::MoveRefusedAside(plan);
  if ((!list_path.empty() && !proxyfarm::WriteListFile(plan, list_path)) ||
      (!truth_path.empty() && !proxyfarm::WriteTruthFile(plan, truth_path))) {
    std::fprintf(stderr, "proxyfarm: cannot write the list or truth file\n");
    return 2;
  }
  return proxyfarm::RunFarm(plan, options);
}
