// verify-latency: how quickly the window answers a click while the Verify command checks many
// farm rows at once. It starts the proxy farm, loads its list, selects every row and runs the
// command with the real checks; a second thread "clicks" at random moments and the measured
// latency is the time until the window's thread handles the click and shows the cancel prompt.
// The last click answers Yes and cancels the run.
//   build/bench/verify-latency [--rows 2000] [--parallel 64]
#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <thread>

#include "app/proxy_fields.h"
#include "fakes/verify_fixture.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/posix_parallel_backend.h"
#include "proxy_farm.h"
#include "proxylist/grid_mouse.h"
#include "proxylist/list_file.h"
#include "verify/verify_command.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// A window whose event processing is measured and where clicks arrive from another thread.
class MeasuredWindow : public quillet::UserInterface {
 public:
  std::atomic<bool> click{false};
  std::atomic<bool> last_click{false};
  Clock::time_point clicked_at;
  std::vector<double> prompt_latencies_ms;
  double longest_gap_ms = 0;
  quillet::ListWindow* window = nullptr;

  quillet::MessageAnswer ShowMessage(const std::string&, quillet::MessageIcon,
                                     quillet::MessageButtons, const std::string&) override {
    prompt_latencies_ms.push_back(Ms(Clock::now() - clicked_at));
    return last_click ? quillet::MessageAnswer::Yes : quillet::MessageAnswer::No;
  }
  std::string AskText(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  void SetPointer(quillet::PointerShape) override {}
  void SetClipboardText(const std::string&) override {}
  void ProcessPendingEvents() override {
    auto now = Clock::now();
    if (last_ != Clock::time_point{}) longest_gap_ms = std::max(longest_gap_ms, Ms(now - last_));
    last_ = now;
    if (click.exchange(false)) quillet::OfferToCancelVerification(*window);
  }

 private:
  Clock::time_point last_{};
};

}  // namespace

int main(int argc, char** argv) {
  int rows = 2000, parallel = 64, clicks = 20;
  CLI::App app{"Click latency of the Verify command with many rows in flight"};
  app.add_option("--rows", rows, "farm rows")->capture_default_str();
  app.add_option("--parallel", parallel, "rows in flight")->capture_default_str();
  app.add_option("--clicks", clicks, "clicks during the run (the last one cancels)")
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("verify-latency-" + std::to_string(getpid()));
  fs::create_directories(dir);
  quillet::testing::FarmProcess farm(dir, {.first = "127.11.0.1",
                                           .count = rows,
                                           .port = 8080,
                                           .lifetime_s = 600,
                                           .ready_within_s = 60});
  if (!farm.ready()) return 1;

  MeasuredWindow ui;
  quillet::ProxyList list;
  quillet::AppSettings settings;
  quillet::ListWindow window{list, settings, ui};
  ui.window = &window;
  settings.ListFile = farm.list();
  quillet::MemoryProxyFields fields;
  quillet::LoadList(window, fields);
  quillet::testing::UseJudge(settings, "127.0.0.2", "/judge", "REMOTE_ADDR", 3000);
  quillet::testing::SelectForVerify(window, 1, list.LastRow());

  quillet::GetAddrInfoResolver resolver;
  quillet::PosixParallelBackend backend(resolver);
  std::string caption;
  quillet::VerifyServices services{backend, [&](const std::string& text) { caption = text; },
                                   "Quillet", [] { return std::string("now"); }};
  std::thread clicker([&] {
    std::mt19937 random(1);
    std::uniform_int_distribution<int> pause(100, 400);
    for (int i = 0; i < clicks; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
      ui.last_click = i + 1 == clicks;
      ui.clicked_at = Clock::now();
      ui.click = true;
      while (ui.click) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  auto start = Clock::now();
  {
    // The window's event loop: the run's turn, then the window's events, as the timer of the
    // main window gives them.
    quillet::VerifyRun run(window, services, parallel);
    while (run.Pump(10)) ui.ProcessPendingEvents();
  }
  double run_ms = Ms(Clock::now() - start);
  clicker.join();
  int checked = 0;
  for (int row = 1; row <= list.LastRow(); ++row)
    checked += !list.Text(row, quillet::kColVerified).empty();
  auto& l = ui.prompt_latencies_ms;
  std::printf(
      "rows %d  parallel %d  run %.0f ms (cancelled)  rows checked %d  clicks %zu  prompt latency "
      "max %.1f ms, mean %.1f ms  longest gap between event rounds %.1f ms\n",
      rows, parallel, run_ms, checked, l.size(),
      l.empty() ? 0 : *std::max_element(l.begin(), l.end()),
      l.empty() ? 0 : std::accumulate(l.begin(), l.end(), 0.0) / double(l.size()),
      ui.longest_gap_ms);
  fs::remove_all(dir);
  return 0;
}
