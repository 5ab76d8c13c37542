#include "ui/qt_row_runner.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <thread>

namespace quillet {

RowCheckOutcome QtRowRunner::Run(const std::function<RowCheckOutcome()>& check) {
  QEventLoop wait;
  QPointer<QEventLoop> loop(&wait);
  RowCheckOutcome outcome;
  std::thread worker([&] {
    outcome = check();
    // Queued: the loop ends on the window's thread, after whatever it is handling now.
    QMetaObject::invokeMethod(
        &wait,
        [loop] {
          if (loop) loop->quit();
        },
        Qt::QueuedConnection);
  });
  wait.exec();
  worker.join();
  return outcome;
}

}  // namespace quillet
