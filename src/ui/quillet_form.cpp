#include "ui/quillet_form.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include "ui/list_panel.h"
#include "ui/qt_row_runner.h"
#include "ui/shell_document_launcher.h"
#include "verify/http_probe.h"
#include "verify/socket_layer.h"
#include "verify/verify_command.h"

namespace quillet {

QuilletForm::QuilletForm(Platform& platform, AppSettings& settings, QtUserInterface& ui,
                         QWidget* parent)
    : QMainWindow(parent), platform_(platform), settings_(settings), ui_(ui) {
  setObjectName("QuilletForm");
  setWindowTitle("Quillet - easy proxy support");
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  auto* label = new QLabel("Quillet", central);
  label->setObjectName("Label3");
  layout->addWidget(label);
  proxy_panel_ = new ProxyPanel({*platform.connection_proxy, *platform.browser_pickup,
                                 *platform.shell, *platform.phonebook, ui, settings},
                                central);
  proxy_panel_->setVisible(!settings.NoIE);
  if (!settings.NoIE) proxy_panel_->Load();
  connect(proxy_panel_, &ProxyPanel::applied, this, [](bool exit_program) {
    if (exit_program) QCoreApplication::exit(0);
  });
  layout->addWidget(proxy_panel_);

  // The list (Frame2), loaded after the proxy area so that the browser's proxy row is marked.
  resolver_ = std::make_unique<YieldingResolver>(*platform_.resolver, ui_);
  launcher_ = std::make_unique<ShellDocumentLauncher>(*platform_.shell, ui_);
  list_panel_ = new ListPanel(
      {list_, settings_, ui_, *resolver_, *proxy_panel_, *platform_.settings, platform_.program_dir,
       *launcher_, [this](const std::string& text) { setWindowTitle(ToQt(text)); },
       [this] { return FromQt(windowTitle()); }, [] { QCoreApplication::exit(0); }},
      central);
  layout->addWidget(list_panel_, 1);
  // "Verify" runs the verification; "prox" does nothing.
  connect(list_panel_, &ListPanel::verifyChosen, this, &QuilletForm::Verify);
  setCentralWidget(central);
  resize(900, 600);
  LoadVerificationSettings();
  list_panel_->LoadList();
}

// The own address, the test page and the verification numbers, as the verification reads them.
void QuilletForm::LoadVerificationSettings() {
  settings_.MyIP = LocalAddress(*resolver_, ui_);
  std::string url = platform_.settings->Read(keys::kTestUrl, defaults::kTestUrl);
  SetTestPage(ui_, settings_, url);
  LoadNumbersAndTexts(*platform_.settings, settings_);
}

void QuilletForm::Verify() {
  Resolver& resolver = *platform_.resolver;
  RowCheckServices checks{*platform_.http, *platform_.pinger, [&resolver](const std::string& name) {
                            return NameToAddress(resolver, name);
                          }};
  QtRowRunner runner;
  VerifyServices services{checks, runner,
                          [this](const std::string& text) { setWindowTitle(ToQt(text)); },
                          FromQt(windowTitle()),
                          [] {
                            return FromQt(QLocale::system().toString(QDateTime::currentDateTime(),
                                                                     QLocale::ShortFormat));
                          }};
  VerifyCommand({list_, settings_, ui_}, services);
}

QuilletForm::~QuilletForm() = default;

}  // namespace quillet
