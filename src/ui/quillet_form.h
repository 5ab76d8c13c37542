#pragma once
#include <QMainWindow>
#include <memory>

#include "app/app_settings.h"
#include "app/proxy_fields.h"
#include "platform/platform.h"
#include "proxylist/document_launcher.h"
#include "proxylist/proxy_list.h"
#include "ui/proxy_panel.h"
#include "ui/qt_user_interface.h"
#include "verify/yielding_resolver.h"

namespace quillet {

class ListPanel;

// The main window.
class QuilletForm : public QMainWindow {
  Q_OBJECT
 public:
  QuilletForm(Platform& platform, AppSettings& settings, QtUserInterface& ui,
              QWidget* parent = nullptr);
  ~QuilletForm() override;

 private:
  void LoadVerificationSettings();
  void Verify();

  Platform& platform_;
  AppSettings& settings_;
  QtUserInterface& ui_;
  ProxyPanel* proxy_panel_;

  ProxyList list_;  // the one copy of the proxy list
  std::unique_ptr<YieldingResolver> resolver_;
  std::unique_ptr<DocumentLauncher> launcher_;
  ListPanel* list_panel_ = nullptr;
};

}  // namespace quillet
