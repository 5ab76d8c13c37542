// quillet-bench: one command that starts the proxy farm, runs quillet-check over its list with
// many proxies in flight and with one in flight (a sample, extrapolated), and prints the figures.
//   build/quillet-bench [--count 10000] [--jobs 1000] [--threads N] [--timeout 3]
//                       [--ping-timeout 1000] [--repeat 1] [--private-net]
// More proxies than the open-files limit allows listeners (--count 100000) are served by one
// wildcard listener in a private network namespace (--private-net, the default above 15,000).
#include <unistd.h>

#include <cstdlib>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench_child.h"
#include "bench_truth.h"
#include "private_net.h"

namespace {

namespace fs = std::filesystem;

struct Settings {
  int count = 10000;
  int jobs = 1000;
  int threads = -1;  // -1: quillet-check's own choice
  bool private_net = false;
  int timeout_s = 3;
  int ping_timeout_ms = 1000;
  int sample = 200;
  int repeat = 1;
  std::string mix = "elite=40,anonymous=15,transparent=15,deny=10,refused=10,blackhole=10";
  std::string first = "127.10.0.1";
  int port = 8080;
  unsigned seed = 7;
};

// A farm of a listener per proxy stops short of the open-files limit (20,000 here).
constexpr int kMostListeners = 15000;

struct Run {
  bench::ChildUsage usage;
  bench::Agreement agreement;
  size_t rows = 0;
  int jobs = 0;
  double load = 0;  // the load average of the last minute, as the run ended
};

Run CheckList(const Settings& settings, const fs::path& dir, const std::string& list, int jobs,
              size_t rows, size_t repeat = 1) {
  std::string out = (dir / ("check-" + std::to_string(jobs) + ".csv")).string();
  std::vector<std::string> arguments = {
      list, "--jobs", std::to_string(jobs), "--timeout", std::to_string(settings.timeout_s),
      "--ping-timeout", std::to_string(settings.ping_timeout_ms),
      // The farm answers for any page; the page's host is never contacted.
      "--test-page", "127.0.0.2/judge", "--search-text", "REMOTE_ADDR", "--find-ip", "127.0.0.1",
      "--format", "csv", "--no-progress"};
  if (rows) arguments.insert(arguments.end(), {"--rows", "1-" + std::to_string(rows)});
  if (settings.threads >= 0)
    arguments.insert(arguments.end(), {"--threads", std::to_string(settings.threads)});
  Run run;
  run.jobs = jobs;
  run.usage = bench::RunMeasured(QUILLET_CHECK_PATH, arguments, out);
  run.agreement = bench::Compare((dir / "truth.csv").string(), out, rows, repeat);
  run.rows = run.agreement.expected;
  getloadavg(&run.load, 1);
  return run;
}

void Print(const char* name, const Run& run) {
  double share = run.rows ? 100.0 * double(run.agreement.matching) / double(run.rows) : 0;
  std::printf(
      "%-9s rows %zu  jobs %d  wall %.2f s  CPU %.2f s (%.0f us/proxy, %.0f%% kernel)  "
      "peak RSS %.1f MB  rows/s %.0f  matching %.2f%%  exit %d  load %.2f\n",
      name, run.rows, run.jobs, run.usage.wall_s, run.usage.cpu_s,
      run.rows ? 1e6 * run.usage.cpu_s / double(run.rows) : 0.0,
      run.usage.cpu_s > 0 ? 100 * run.usage.system_s / run.usage.cpu_s : 0.0, run.usage.peak_rss_mb,
      run.usage.wall_s > 0 ? double(run.rows) / run.usage.wall_s : 0.0, share, run.usage.exit_code,
      run.load);
  if (!run.agreement.first_mismatch.empty()) {
    std::printf("          first mismatch: %s\n", run.agreement.first_mismatch.c_str());
  }
  for (const auto& [what, count] : run.agreement.mismatches) {
    std::printf("          %zu rows: %s\n", count, what.c_str());
  }
}

// The farm's list `times` over, one file: more rows than the farm has listeners.
std::string RepeatedList(const std::string& list, int times) {
  std::string repeated = list + ".x" + std::to_string(times);
  std::ifstream in(list);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream out(repeated);
  for (int i = 0; i < times; ++i) out << text;
  return repeated;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  CLI::App app{"Benchmark of quillet-check against the proxy farm"};
  app.add_option("--count", settings.count, "proxies in the farm")->capture_default_str();
  app.add_option("--jobs", settings.jobs, "checks in flight")->capture_default_str();
  app.add_option("--threads", settings.threads, "quillet-check's --threads (default: its own)");
  app.add_flag("--private-net", settings.private_net,
               "farm on the wildcard address in a private network namespace (default above "
               "15,000 proxies)");
  app.add_option("--timeout", settings.timeout_s, "fetch time-out, seconds")->capture_default_str();
  app.add_option("--ping-timeout", settings.ping_timeout_ms, "echo time-out, ms")
      ->capture_default_str();
  app.add_option("--sample", settings.sample, "rows of the one-in-flight baseline (0: none)")
      ->capture_default_str();
  app.add_option("--repeat", settings.repeat, "check the farm's list this many times over")
      ->check(CLI::Range(1, 100))
      ->capture_default_str();
  app.add_option("--mix", settings.mix, "the farm's mix")->capture_default_str();
  app.add_option("--first", settings.first, "the farm's first address")->capture_default_str();
  app.add_option("--port", settings.port, "the farm's port")->capture_default_str();
  CLI11_PARSE(app, argc, argv);
  settings.private_net = settings.private_net || settings.count > kMostListeners;
  std::string error;
  if (settings.private_net && !bench::EnterPrivateNetwork(argv, error)) {
    std::fprintf(stderr, "quillet-bench: %s\n", error.c_str());
    return 1;
  }

  fs::path dir = fs::temp_directory_path() / ("quillet-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  // Keep the user's own settings out of the run.
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  std::string list = (dir / "farm.txt").string();
  std::vector<std::string> farm_arguments = {"--first",      settings.first,
                                             "--count",      std::to_string(settings.count),
                                             "--port",       std::to_string(settings.port),
                                             "--mix",        settings.mix,
                                             "--seed",       std::to_string(settings.seed),
                                             "--list",       list,
                                             "--truth",      (dir / "truth.csv").string(),
                                             "--ready-file", (dir / "ready").string(),
                                             "--lifetime",   "1800"};
  if (settings.private_net) farm_arguments.push_back("--any-address");
  pid_t farm = bench::StartChild(PROXYFARM_PATH, farm_arguments);
  if (!bench::WaitForFile((dir / "ready").string(), farm, 120)) {
    std::fprintf(stderr, "quillet-bench: the proxy farm did not start\n");
    bench::StopChild(farm);
    return 1;
  }
  std::printf("farm: %d proxies (%s), time-out %d s, ping time-out %d ms\n", settings.count,
              settings.mix.c_str(), settings.timeout_s, settings.ping_timeout_ms);
  std::string checked = settings.repeat > 1 ? RepeatedList(list, settings.repeat) : list;
  Run parallel =
      CheckList(settings, dir, checked, settings.jobs, 0, static_cast<size_t>(settings.repeat));
  Print("parallel", parallel);
  int code = parallel.usage.exit_code == 0 && parallel.agreement.matching == parallel.rows ? 0 : 1;
  if (settings.sample > 0) {
    Run sample = CheckList(settings, dir, list, 1, static_cast<size_t>(settings.sample));
    Print("sample", sample);
    double baseline = sample.rows ? sample.usage.wall_s * parallel.rows / double(sample.rows) : 0;
    std::printf("baseline  one in flight over %zu rows, extrapolated: %.1f s; ratio %.1fx\n",
                parallel.rows, baseline,
                parallel.usage.wall_s > 0 ? baseline / parallel.usage.wall_s : 0.0);
  }
  bench::StopChild(farm);
  fs::remove_all(dir);
  return code;
}
