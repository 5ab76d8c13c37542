#pragma once
// The one QApplication of a GUI test program, on the offscreen platform unless told otherwise.
// Never destroyed: Qt's own objects made for synthetic input outlive any static.
#include <QApplication>

namespace quillet::testing {

inline QApplication& OffscreenApp() {
  static int argc = 1;
  static char name[] = "quillet-gui-test";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace quillet::testing
