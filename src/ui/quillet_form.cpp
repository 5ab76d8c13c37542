#include "ui/quillet_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/error_report.h"
#include "app/main_window_texts.h"
#include "app/maker_links.h"
#include "app/settings_dialog_model.h"
#include "app/user_guide.h"
#include "browser/java_indicator.h"
#include "browser/launch.h"
#include "browser/toolbar_button.h"
#include "net/country_lookup.h"
#include "net/socket_layer.h"
#include "proxylist/list_file.h"
#include "ui/edge_panel.h"
#include "ui/guarded.h"
#include "ui/list_grid_view.h"
#include "ui/list_icons.h"
#include "ui/list_panel.h"
#include "ui/proxy_panel.h"
#include "ui/qu_settings.h"
#include "ui/shell_document_launcher.h"
#include "verify/http_probe.h"
#include "verify/public_address.h"

namespace quillet {
namespace {

// How often a verification run is given its turn on the window's thread.
constexpr int kVerifyPumpMs = 10;

std::string NowText() {
  return FromQt(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

// Size and position of the window between runs, beside the program's settings.
QSettings WindowSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, kSettingsApplication,
                   "QuilletWindow");
}

}  // namespace

QuilletForm::QuilletForm(Platform& platform, AppSettings& settings, UserInterface& ui,
                         QWidget* parent)
    : QMainWindow(parent), platform_(platform), settings_(settings), ui_(ui) {
  setObjectName("QuilletForm");
  setWindowTitle("Quillet - easy proxy support");
  resolver_ = std::make_unique<YieldingResolver>(*platform_.resolver, ui_);
  launcher_ = std::make_unique<ShellDocumentLauncher>(*platform_.shell, ui_);
  BuildWindow();
  if (!restoreGeometry(WindowSettings().value("geometry").toByteArray())) {
    QSize room = screen()->availableGeometry().size() * 0.9;
    resize(sizeHint().expandedTo(QSize(960, 640)).boundedTo(room));
  }
  list_panel_->grid()->RestoreColumnWidths(WindowSettings().value("columns").toString());
  Load();
}

// The panels go first: while they close they still read the list.
QuilletForm::~QuilletForm() {
  delete takeCentralWidget();
}

void QuilletForm::BuildWindow() {
  auto* central = new QWidget(this);
  auto* layout = new QGridLayout(central);
  proxy_panel_ = new ProxyPanel({*platform_.connection_proxy, *platform_.browser_pickup,
                                 *platform_.shell, *platform_.phonebook, ui_, settings_},
                                central);
  lblNotIE_ = new QLabel(central);
  lblNotIE_->setObjectName("lblNotIE");
  lblNotIE_->setWordWrap(true);
  lblNotIE_->hide();
  edge_panel_ = new EdgePanel(central);
  list_panel_ = new ListPanel(
      {list_, settings_, ui_, *resolver_, *proxy_panel_, *platform_.settings, platform_.program_dir,
       *launcher_, [this](const std::string& text) { setWindowTitle(ToQt(text)); },
       [this] { return base_caption_; }, [this] { EndProgram(); }, platform_.list_fetcher.get()},
      central);
  layout->addWidget(proxy_panel_, 0, 0);
  layout->addWidget(lblNotIE_, 0, 0);
  layout->addWidget(edge_panel_, 0, 1, 2, 1);
  layout->addWidget(list_panel_, 1, 0);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(0, 1);
  setCentralWidget(central);

  connect(proxy_panel_, &ProxyPanel::applied, this, [this](bool exit_program) {
    if (exit_program) return EndProgram();
    edge_panel_->TurnCancelIntoExit();
    WatchApplied();
  });
  statusBar()->setObjectName("watchMessage");
  watch_ = std::make_unique<ProxyWatch>(
      ListWindow{list_, settings_, ui_},
      WatchServices{*platform_.parallel, *proxy_panel_,
                    [this] {
                      bool applied = proxy_panel_->ApplyInPlace();
                      if (applied) edge_panel_->TurnCancelIntoExit();
                      return applied;
                    },
                    [this](const WatchNews& news) { TellWatchNews(news); }, NowText});
  watch_timer_ = new QTimer(this);
  watch_timer_->setSingleShot(true);
  connect(watch_timer_, &QTimer::timeout, this, &QuilletForm::TurnWatch);
  connect(list_panel_, &ListPanel::verifyChosen, this, &QuilletForm::Verify);
  connect(edge_panel_, &EdgePanel::exitClicked, this,
          Guarded(ui_, tags::kMainWindowLoad, [this] { OnExit(); }));
  connect(edge_panel_, &EdgePanel::settingsClicked, this,
          Guarded(ui_, tags::kMainWindowLoad, [this] { OnSettings(); }));
  connect(edge_panel_, &EdgePanel::makerLinkClicked, this,
          [this] { OpenWebPage(links::kMakerHome, tags::kMakerLink); });
  connect(edge_panel_, &EdgePanel::helpLinkClicked, this, [this] { OpenUserGuide(); });
}

// The load runs in a fixed order: the list comes after the proxy fields (it marks the row of
// the browser's current proxy), and a failure leaves whatever was filled until then.
void QuilletForm::Load() {
  RunGuarded(ui_, tags::kMainWindowLoad, [this] {
    edge_panel_->ShowJava(JavaIsOn(*platform_.registry, ui_));
    settings_.MyIP = LocalAddress(*resolver_, ui_);
    base_caption_ = BaseCaption(settings_.MyIP);
    setWindowTitle(ToQt(base_caption_));
    if (!settings_.NoIE) proxy_panel_->Load();
    list_panel_->LoadList();
    std::string url = platform_.settings->Read(keys::kTestUrl, defaults::kTestUrl);
    SetTestPage(ui_, settings_, url);
    LoadNumbersAndTexts(*platform_.settings, settings_);
    if (std::string problem = LoadCountryDatabase(settings_, *platform_.countries);
        !problem.empty()) {
      ui_.ShowMessage(problem, MessageIcon::Exclamation);
    }
    // The Country column shows only while there is a database to fill it.
    list_.SetExtraColumns(GridExtraColumns(settings_.Countries != nullptr));
    proxy_panel_->SetApplyCaption(ApplyCaption(settings_.ApplyButton));
    edge_panel_->ShowVersion(ToQt(VersionLabel()));
    if (settings_.FirstRun) ShowFirstRunHint();
    if (settings_.NoIE) return ShowListOnlyView();
    WatchApplied();
  });
}

void QuilletForm::ShowListOnlyView() {
  proxy_panel_->hide();
  edge_panel_->HideBrowserControls();
  std::string reason = platform_.browser_info->MissingReason();
  lblNotIE_->setText(ToQt(reason.empty() ? NotIENotice() : reason));
  lblNotIE_->show();
}

// One run at a time: a run that the grid's cancel handler has stopped ends here before the next
// one starts; a run still going refuses the second.
void QuilletForm::Verify() {
  if (verify_run_) {
    if (verify_run_->Pump(0)) return;
    verify_run_.reset();
  }
  VerifyServices services{
      *platform_.parallel,
      [this](const std::string& text) { setWindowTitle(ToQt(text)); },
      base_caption_,
      NowText,
      [this](const std::string& caption) { base_caption_ = caption; },
      [this](size_t checked, size_t total) { list_panel_->ShowProgress(checked, total); },
      [this](const std::string& summary) { list_panel_->ShowSummary(summary); }};
  verify_run_ = std::make_unique<VerifyRun>(ListWindow{list_, settings_, ui_}, std::move(services),
                                            settings_.Parallel);
  if (!verify_pump_) {
    verify_pump_ = new QTimer(this);
    connect(verify_pump_, &QTimer::timeout, this, &QuilletForm::PumpVerifyRun);
  }
  verify_pump_->start(kVerifyPumpMs);
}

void QuilletForm::PumpVerifyRun() {
  if (verify_run_ && verify_run_->Pump(0)) return;
  list_panel_->HideProgress();
  verify_pump_->stop();
  verify_run_.reset();
}

void QuilletForm::OnExit() {
  if (!ConfirmSaveList({list_, settings_, ui_})) return;
  RunGuarded(ui_, tags::kMainWindowLoad, [this] {
    platform_.settings->Save(keys::kTestUrl, settings_.TestHost + settings_.TestPath);
    platform_.settings->Save(keys::kListFile, settings_.ListFile);
  });
  EndProgram();
}

void QuilletForm::closeEvent(QCloseEvent* event) {
  if (!ending_ && HideInTray()) return event->ignore();
  if (!ending_ && !ConfirmSaveList({list_, settings_, ui_})) return event->ignore();
  SaveWindowState();
  event->accept();
}

void QuilletForm::EndProgram() {
  ending_ = true;
  SaveWindowState();
  QCoreApplication::exit(0);
}

void QuilletForm::SaveWindowState() {
  QSettings kept = WindowSettings();
  kept.setValue("geometry", saveGeometry());
  kept.setValue("columns", list_panel_->grid()->ColumnWidthsText());
}

void QuilletForm::OnSettings() {
  SettingsDialogModel model({*platform_.settings, settings_, ui_, platform_.program_dir,
                             [this](std::string& url) { SetTestPage(ui_, settings_, url); },
                             TestPageProblem,
                             [this](const std::string& named) {
                               return ChangeCountryDatabase(settings_, *platform_.countries, named);
                             }});
  ToolbarServices toolbar{*platform_.registry,         *platform_.settings, ui_,
                          *platform_.toolbar_shortcut, *platform_.guids,    platform_.program_dir};
  QuSettings::Actions actions{
      [&toolbar](SettingsDialogModel& dialog) { return ToggleToolbarFromDialog(toolbar, dialog); },
      [this] { OpenWebPage(links::kUpgradePage, tags::kUpgradeLink); },
      [backend = platform_.parallel.get(), probe = ProbeSettings::From(settings_)](
          const std::string& page, const std::atomic<bool>* cancel) {
        return VisitTypedTestPage(*backend, probe, page, cancel);
      },
      [this](const std::string& page, const DirectVisit& visit) { TakeCheckedJudge(page, visit); }};
  QuSettings dialog(model, actions, this);
  if (dialog.exec() != QDialog::Accepted) return;
  proxy_panel_->SetApplyCaption(dialog.apply_caption());
  list_.SetExtraColumns(GridExtraColumns(settings_.Countries != nullptr));
  TurnWatch();  // WatchSeconds may have changed
}

void QuilletForm::WatchApplied() {
  watch_->Watch(proxy_panel_->Fields());
  TurnWatch();
}

void QuilletForm::TurnWatch() {
  int next_ms = watch_->Pump();
  if (next_ms < 0) return watch_timer_->stop();
  watch_timer_->start(next_ms);
}

void QuilletForm::TellWatchNews(const WatchNews& news) {
  statusBar()->showMessage(ToQt(NowText() + "  " + news.body));
  if (!news.notify) return;
  if (!platform_.notifier || !platform_.notifier->Notify(news.summary, news.body)) {
    setWindowTitle(ToQt(news.summary + ": " + news.body));
  }
}

// Where the desktop has a system tray, the user chooses once whether closing the window keeps
// the watch going from there; the choice is kept in the settings.
bool QuilletForm::HideInTray() {
  if (!watch_->Active() || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  std::string choice = platform_.settings->Read(keys::kWatchInTray, "");
  bool keep = choice == "1";
  if (choice.empty()) {
    keep = ui_.ShowMessage(
               "Keep watching the applied proxy from the system tray when the "
               "window is closed?",
               MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
    platform_.settings->Save(keys::kWatchInTray, keep ? "1" : "0");
  }
  if (!keep) return false;
  if (!tray_) {
    // Where the icon theme has no Quillet icon (a run from the build folder) the list's own
    // picture stands in: a tray icon without one can be neither seen nor clicked.
    QIcon icon = windowIcon().isNull() ? QIcon(CellPicturePixmap(CellPicture::OK)) : windowIcon();
    tray_ = new QSystemTrayIcon(icon, this);
    tray_->setToolTip("Quillet watches the applied proxy");
    auto* menu = new QMenu(this);
    menu->addAction("Show Quillet", this, [this] {
      tray_->hide();
      showNormal();
      activateWindow();
    });
    menu->addAction("Quit", this, [this] {
      tray_->hide();
      showNormal();
      if (ConfirmSaveList({list_, settings_, ui_})) EndProgram();
    });
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
              if (why != QSystemTrayIcon::Context)
                tray_->contextMenu()->actions().first()->trigger();
            });
  }
  WindowSettings().setValue("geometry", saveGeometry());
  tray_->show();
  hide();
  return true;
}

// A judge check of the current test page finds the public address again (when none is typed in).
void QuilletForm::TakeCheckedJudge(const std::string& page, const DirectVisit& visit) {
  if (!settings_.FindIP.empty() || !IsCurrentTestPage(settings_, page)) return;
  TakePublicAddress(settings_, visit);
  base_caption_ = BaseCaption(ShownOwnAddress(settings_));
  if (!settings_.Verifying) setWindowTitle(ToQt(base_caption_));
}

void QuilletForm::ShowFirstRunHint() {
  auto* hint = new QLabel(ToQt(FirstRunHint()), this);
  hint->setObjectName("lblFirstRun");
  statusBar()->addWidget(hint, 1);
}

// The guide installed with the program, opened with the desktop's handler for HTML pages.
void QuilletForm::OpenUserGuide() {
  RunGuarded(ui_, tags::kHelpLink, [&] {
    std::string guide = UserGuidePath(platform_.program_dir, platform_.shared_data_dir);
    LaunchDocument(*platform_.shell, ui_, guide, "", kShowNormal);
  });
}

// Web pages open in the browser when there is one, else with the desktop's default handler.
void QuilletForm::OpenWebPage(const char* address, const char* tag) {
  RunGuarded(ui_, tag, [&] {
    if (settings_.NoIE) {
      LaunchDocument(*platform_.shell, ui_, address, "", kShowNormal);
    } else {
      LaunchDocument(*platform_.shell, ui_, kBrowserProgram, address, kShowNormal);
    }
  });
}

}  // namespace quillet
