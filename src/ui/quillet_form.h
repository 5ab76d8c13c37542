#pragma once
#include <QMainWindow>

#include "app/app_settings.h"
#include "platform/platform.h"
#include "ui/proxy_panel.h"
#include "ui/qt_user_interface.h"

namespace quillet {

// The main window.
class QuilletForm : public QMainWindow {
  Q_OBJECT
 public:
  QuilletForm(Platform& platform, AppSettings& settings, QtUserInterface& ui,
              QWidget* parent = nullptr);

 private:
  Platform& platform_;
  AppSettings& settings_;
  QtUserInterface& ui_;
  ProxyPanel* proxy_panel_;
};

}  // namespace quillet
