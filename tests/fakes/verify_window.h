#pragma once
// The grid of a list window shown offscreen, and a verification run turned by the window's own
// event loop, as the main window turns it.
#include <QTimer>
#include <functional>

#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "verify/verify_command.h"

namespace quillet::testing {

struct ShownGrid {
  ShownGrid(ListWindow window, int width, int height) : model(window.list), view(window, &model) {
    view.resize(width, height);
    view.show();
  }
  ProxyTableModel model;
  ListGridView view;
};

// Turns `run` every 10 ms from the event loop; once it is over, stops and calls `ended`.
inline void TurnFromEventLoop(QTimer& timer, VerifyRun& run, std::function<void()> ended) {
  QObject::connect(&timer, &QTimer::timeout, [&run, &timer, ended] {
    if (run.Pump(0)) return;
    timer.stop();
    ended();
  });
  timer.start(10);
}

}  // namespace quillet::testing
