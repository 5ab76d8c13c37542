#include "ui/quillet_form.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/list_panel.h"
#include "ui/shell_document_launcher.h"

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
  setCentralWidget(central);
  resize(900, 600);
  list_panel_->LoadList();
}

QuilletForm::~QuilletForm() = default;

}  // namespace quillet
