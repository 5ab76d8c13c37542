// window-run: the Verify command in the window over a whole farm list, as a user runs it: the
// list loaded into the grid, every row selected, Verify at the given "parallel" (and threads).
// While it runs, a click on the grid is posted every --click-every ms and the time until the
// "Cancel verification? " box is up is measured (each box is answered No). Prints the run's
// time, the click answers and how many rows match the farm's truth. More than 15,000 proxies
// are served by one wildcard listener in a private network namespace, as quillet-bench does.
//   QT_QPA_PLATFORM=offscreen build/bench/window-run [--rows 100000] [--parallel 1000]
#include <sys/resource.h>

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/proxy_fields.h"
#include "fakes/verify_fixture.h"
#include "fakes/verify_window.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/posix_parallel_backend.h"
#include "private_net.h"
#include "proxy_farm.h"
#include "proxylist/list_file.h"
#include "ui/qt_user_interface.h"

using namespace quillet;

namespace {

struct Clicks {
  QElapsedTimer clock;
  qint64 clicked_at = -1;
  std::vector<qint64> answers_ms;
};

void PostClick(QWidget* viewport, QPoint at) {
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    auto buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QApplication::postEvent(viewport, new QMouseEvent(type, at, viewport->mapToGlobal(at),
                                                      Qt::LeftButton, buttons, Qt::NoModifier));
  }
}

// Rows whose Status and Secure are what the farm says a correct check gives.
int Matching(const ProxyList& list, const testing::FarmProcess& farm) {
  auto truth = farm.Truth();
  int matching = 0;
  for (int row = 1; row <= list.LastRow(); ++row) {
    auto found = truth.find(Trim(list.Text(row, kColServerIp)));
    if (found == truth.end()) continue;
    matching += Trim(list.Text(row, kColStatus)) == found->second[2] &&
                Trim(list.Text(row, kColSecure)) == found->second[3];
  }
  return matching;
}

}  // namespace

int main(int argc, char** argv) {
  int rows = 100000, parallel = 1000, threads = 0, click_every_ms = 500, timeout_s = 3;
  CLI::App cli{"The Verify command in the window over a farm list"};
  cli.add_option("--rows", rows, "farm proxies")->capture_default_str();
  cli.add_option("--parallel", parallel, "the \"parallel\" setting")->capture_default_str();
  cli.add_option("--threads", threads, "the \"threads\" setting (0: one per core)")
      ->capture_default_str();
  cli.add_option("--click-every", click_every_ms, "ms between clicks")->capture_default_str();
  cli.add_option("--timeout", timeout_s, "test page time-out, s")->capture_default_str();
  CLI11_PARSE(cli, argc, argv);
  bool private_net = rows > 15000;
  std::string error;
  if (private_net && !bench::EnterPrivateNetwork(argv, error)) {
    std::fprintf(stderr, "window-run: %s\n", error.c_str());
    return 1;
  }
  QApplication app(argc, argv);
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("window-run-" + std::to_string(getpid()));
  fs::create_directories(dir);
  testing::FarmProcess farm(dir, {.first = "127.12.0.1",
                                  .count = rows,
                                  .port = 8080,
                                  .lifetime_s = 1200,
                                  .ready_within_s = 120,
                                  .any_address = private_net});
  if (!farm.ready()) return 1;

  AppSettings settings;
  ProxyList list;
  QtUserInterface ui;
  ListWindow window{list, settings, ui};
  settings.ListFile = farm.list();
  MemoryProxyFields fields;
  LoadList(window, fields);
  testing::UseJudge(settings, "127.0.0.2", "/judge", "REMOTE_ADDR", timeout_s * 1000);
  settings.Threads = threads;
  testing::ShownGrid shown(window, 900, 500);
  QWidget* viewport = shown.view.viewport();
  testing::SelectForVerify(window, 1, list.LastRow());

  Clicks clicks;
  QTimer clicker, watcher, pump;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (!settings.Verifying || clicks.clicked_at >= 0) return;
    clicks.clicked_at = clicks.clock.elapsed();
    PostClick(viewport, QPoint(400, 200));
  });
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || clicks.clicked_at < 0) return;
    clicks.answers_ms.push_back(clicks.clock.elapsed() - clicks.clicked_at);
    clicks.clicked_at = -1;
    box->button(QMessageBox::No)->click();
  });
  GetAddrInfoResolver resolver;
  PosixParallelBackend backend(resolver);
  VerifyServices services{backend, [](const std::string&) {}, "Quillet",
                          [] { return std::string("now"); }};
  clicks.clock.start();
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  VerifyRun run(window, services, parallel);
  clicker.start(click_every_ms);
  watcher.start(1);
  testing::TurnFromEventLoop(pump, run, [&] { app.quit(); });
  app.exec();
  double run_s = double(clicks.clock.elapsed()) / 1000.0;
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  double cpu_s = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                 seconds(before.ru_stime);
  double load = 0;
  getloadavg(&load, 1);

  std::vector<qint64> sorted = clicks.answers_ms;
  std::sort(sorted.begin(), sorted.end());
  int matching = Matching(list, farm);
  std::printf(
      "window   rows %d  parallel %d  threads %d  wall %.2f s  CPU %.2f s (%.0f us/proxy)  "
      "peak RSS %.1f MB  matching %.2f%%  load %.2f\n",
      list.LastRow(), parallel, threads, run_s, cpu_s, 1e6 * cpu_s / double(list.LastRow()),
      double(after.ru_maxrss) / 1024.0, 100.0 * matching / double(list.LastRow()), load);
  if (!sorted.empty()) {
    std::printf("clicks   %zu answered by the cancel box: median %lld ms, worst %lld ms\n",
                sorted.size(), static_cast<long long>(sorted[sorted.size() / 2]),
                static_cast<long long>(sorted.back()));
  }
  fs::remove_all(dir);
  return matching == list.LastRow() ? 0 : 1;
}
