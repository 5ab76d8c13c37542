// verify_responsiveness: does the window keep answering while a verification waits?
// 50 rows on loopback, 10 of them black holes (they accept and never answer), time-out 2 s.
// While the run goes on, a left click on the grid is sent every 700 ms; the time from the click
// to the "Cancel verification? " box on screen is measured. Each box is answered No (the run
// goes on) until the last row, and the figures are printed. Exit code 1 when a box took longer
// than half a second. Run by hand: QT_QPA_PLATFORM=offscreen build/bench/verify_responsiveness
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "fakes/loopback_server.h"
#include "fakes/verify_fixture.h"
#include "fakes/verify_window.h"
#include "platform/posix/getaddrinfo_resolver.h"
#include "platform/posix/icmp_pinger.h"
#include "platform/posix/posix_parallel_backend.h"
#include "proxylist/grid_mouse.h"
#include "ui/qt_user_interface.h"

using namespace quillet;

namespace {

constexpr int kRows = 50;
constexpr int kClickEveryMs = 700;
constexpr qint64 kLimitMs = 500;

struct Probe {
  QElapsedTimer clock;
  qint64 clicked_at = -1;
  std::vector<qint64> latencies;
  std::vector<bool> during_black_hole;
  bool black_hole_now = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!IcmpPinger::Permitted(IcmpPinger::SocketKind::Any)) {
    std::fprintf(stderr, "no ICMP socket permitted here\n");
    return 2;
  }
  const std::string page = "HTTP/1.0 200 OK\r\n\r\nREMOTE_ADDR = x\nHTTP_CLIENT_IP = \n";
  std::vector<std::unique_ptr<testing::LoopbackServer>> servers;
  ProxyList list;
  std::vector<bool> black_hole_row(kRows + 1, false);
  for (int i = 1; i <= kRows; ++i) {
    bool hole = i % 5 == 3;
    black_hole_row[static_cast<size_t>(i)] = hole;
    std::string address = "127.0.1." + std::to_string(100 + i);
    servers.push_back(std::make_unique<testing::LoopbackServer>(
        address, hole ? testing::CloseAtOnce() : testing::AnswerWith(page), !hole));
    list.AddRow({"", kServerIpIndent + servers.back()->proxy(), "", hole ? "black hole" : "", "",
                 "", "", "", "", ""});
  }
  AppSettings settings;
  settings.ListFile = "bench";
  testing::UseJudge(settings, "127.0.2.1:8080", "/", "HTTP_CLIENT_IP");
  QtUserInterface ui;
  ListWindow window{list, settings, ui};
  testing::ShownGrid shown(window, 900, 500);
  ListGridView& grid = shown.view;
  testing::SelectForVerify(window, 1, kRows);

  Probe probe;
  probe.clock.start();
  // Sends a click in the middle of the grid, as the user would.
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (!settings.Verifying || probe.clicked_at >= 0) return;
    probe.black_hole_now =
        black_hole_row[static_cast<size_t>(std::clamp<int>(settings.GridRow - 1, 1, kRows))];
    QPoint at(400, 200);
    probe.clicked_at = probe.clock.elapsed();
    QApplication::postEvent(
        grid.viewport(),
        new QMouseEvent(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QApplication::postEvent(
        grid.viewport(),
        new QMouseEvent(QEvent::MouseButtonRelease, at, grid.viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  });
  // Watches for the cancel box; notes when it is up and answers No.
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || probe.clicked_at < 0) return;
    probe.latencies.push_back(probe.clock.elapsed() - probe.clicked_at);
    probe.during_black_hole.push_back(probe.black_hole_now);
    probe.clicked_at = -1;
    box->button(QMessageBox::No)->click();
  });
  clicker.start(kClickEveryMs);
  watcher.start(1);

  GetAddrInfoResolver resolver;
  PosixParallelBackend backend(resolver);
  VerifyServices services{
      backend, [&](const std::string& text) { grid.setWindowTitle(QString::fromStdString(text)); },
      "Quillet", [] { return std::string("now"); }};
  VerifyRun run(window, services, 1);
  QTimer pump;
  testing::TurnFromEventLoop(pump, run, [&] { app.quit(); });
  app.exec();

  qint64 worst = 0, worst_hole = 0;
  int holes = 0;
  for (size_t i = 0; i < probe.latencies.size(); ++i) {
    worst = std::max(worst, probe.latencies[i]);
    if (probe.during_black_hole[i]) {
      ++holes;
      worst_hole = std::max(worst_hole, probe.latencies[i]);
    }
  }
  int failed = 0;
  for (int i = 1; i <= kRows; ++i) failed += list.Text(i, kColStatus) == "--";
  std::vector<qint64> sorted = probe.latencies;
  std::sort(sorted.begin(), sorted.end());
  std::printf("run: %.1f s, %d rows, %d failed (black holes)\n", probe.clock.elapsed() / 1000.0,
              kRows, failed);
  std::printf("clicks answered by the cancel box: %zu (%d while a black hole was waited for)\n",
              probe.latencies.size(), holes);
  if (!sorted.empty()) {
    std::printf("click -> box: median %lld ms, worst %lld ms, worst during a black hole %lld ms\n",
                static_cast<long long>(sorted[sorted.size() / 2]), static_cast<long long>(worst),
                static_cast<long long>(worst_hole));
  }
  return !sorted.empty() && worst <= kLimitMs && holes > 0 ? 0 : 1;
}
