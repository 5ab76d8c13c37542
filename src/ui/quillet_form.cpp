#include "ui/quillet_form.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

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
  layout->addStretch(1);
  setCentralWidget(central);
  resize(900, 600);
}

}  // namespace quillet
