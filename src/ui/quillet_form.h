#pragma once
#include <QMainWindow>
#include <memory>

#include "app/app_settings.h"
#include "net/yielding_resolver.h"
#include "platform/platform.h"
#include "proxylist/document_launcher.h"
#include "proxylist/proxy_list.h"
#include "ui/qt_user_interface.h"
#include "verify/proxy_watch.h"
#include "verify/verify_command.h"

class QLabel;
class QSystemTrayIcon;
class QTimer;

namespace quillet {

class EdgePanel;
class ListPanel;
class ProxyPanel;
struct DirectVisit;

// The main window: the proxy area above, the labels at the edge, the list below.
class QuilletForm : public QMainWindow {
  Q_OBJECT
 public:
  QuilletForm(Platform& platform, AppSettings& settings, UserInterface& ui,
              QWidget* parent = nullptr);
  ~QuilletForm() override;

  const std::string& base_caption() const { return base_caption_; }
  const ProxyList& list() const { return list_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWindow();
  void Load();
  void ShowListOnlyView();
  void Verify();
  void PumpVerifyRun();
  void OnExit();
  void OnSettings();
  void OpenWebPage(const char* address, const char* tag);
  void OpenUserGuide();
  void ShowFirstRunHint();
  void TakeCheckedJudge(const std::string& page, const DirectVisit& visit);
  // The window's size and the list's column widths, kept between runs.
  void SaveWindowState();
  // The watch over the applied proxy: guards what the desktop now holds, takes its turns, and
  // tells what happened in the window and by a desktop notification (else in the title).
  void WatchApplied();
  void TurnWatch();
  void TellWatchNews(const WatchNews& news);
  // Closing while the watch runs: true when the window went to the system tray instead.
  bool HideInTray();
  // Ends the program at once, without the save prompt.
  void EndProgram();

  Platform& platform_;
  AppSettings& settings_;
  UserInterface& ui_;

  ProxyList list_;  // the one copy of the proxy list
  std::unique_ptr<YieldingResolver> resolver_;
  std::unique_ptr<DocumentLauncher> launcher_;
  ProxyPanel* proxy_panel_ = nullptr;
  EdgePanel* edge_panel_ = nullptr;
  ListPanel* list_panel_ = nullptr;
  QLabel* lblNotIE_ = nullptr;
  std::string base_caption_;
  std::unique_ptr<VerifyRun> verify_run_;
  QTimer* verify_pump_ = nullptr;
  std::unique_ptr<ProxyWatch> watch_;
  QTimer* watch_timer_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  bool ending_ = false;
};

}  // namespace quillet
