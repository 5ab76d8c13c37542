#include "ui/proxy_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/desktop_kind.h"
#include "app/settings_dialog_model.h"
#include "browser/current_settings.h"
#include "core/text.h"
#include "ui/list_icons.h"
#include "ui/qt_user_interface.h"

namespace quillet {
namespace {

// The two system colours the proxy fields use.
QColor SystemColour(uint32_t colour, const QPalette& palette) {
  if (colour == kInactiveFieldColour) return InactiveShade(palette);
  return palette.color(QPalette::Active, QPalette::Base);
}

Qt::CheckState ToQt(CheckState state) {
  if (state == CheckState::Checked) return Qt::Checked;
  return state == CheckState::Grey ? Qt::PartiallyChecked : Qt::Unchecked;
}

CheckState FromQt(Qt::CheckState state) {
  if (state == Qt::Checked) return CheckState::Checked;
  return state == Qt::PartiallyChecked ? CheckState::Grey : CheckState::Unchecked;
}

constexpr int kGopherField = 3;

template <class Widget>
Widget* Named(Widget* widget, const QString& name, const char* tip = nullptr) {
  widget->setObjectName(name);
  if (tip) widget->setToolTip(tip);
  return widget;
}

}  // namespace

ProxyPanel::ProxyPanel(Services services, QWidget* parent) : QWidget(parent), services_(services) {
  setObjectName("ProxyPanel");
  BuildControls();
  UpdateColours();
}

void ProxyPanel::BuildControls() {
  // "SOC&KS": "&Settings" already answers to S.
  static const char* kProtocols[] = {"&HTTP", "&H&TTPS", "&FTP", "&Goph", "SOC&KS"};
  static const char* kTips[] = {"HTTP proxy server", "HTTPS proxy server", "FTP proxy server",
                                "Gopher proxy server", "SOCKS proxy server"};
  Label1_ = Named(new QLabel("Connection", this), "Label1");
  cboConn_ = Named(new QComboBox(this), "cboConn");
  cboConn_->setMinimumWidth(160);
  chkProxy_ =
      Named(new QCheckBox("Enable &Proxy", this), "chkProxy", "Enable or disable proxy use");
  chkSame_ = Named(new QCheckBox("all &4", this), "chkSame", "HTTP proxy for all 4 protocols");
  Label2_ = Named(new QLabel("Bypass", this), "Label2");
  txtBypass_ =
      Named(new QLineEdit(this), "txtBypass", "Bypass addresses starting with (separate with ;)");
  chkBypass_ = Named(new QCheckBox("l&ocal", this), "chkBypass", "bypass local addresses");
  bApply_ = Named(new QPushButton("&Apply", this), "bApply", "Save chages (and Exit)");
  bRestore_ = Named(new QPushButton("Restore previous settings", this), "bRestore",
                    "Put back the desktop's proxy settings from before Quillet changed them");

  Label1_->setBuddy(cboConn_);
  Label2_->setBuddy(txtBypass_);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(Label1_, 0, 0);
  grid->addWidget(cboConn_, 0, 1);
  grid->addWidget(chkProxy_, 0, 2);
  grid->addWidget(bApply_, 0, 3);
  for (int i = 0; i < kFieldCount; ++i) {
    Option1_[i] = Named(new QRadioButton(kProtocols[i], this), QString("Option1_%1").arg(i));
    sOldProxy_[i] = Named(new QLineEdit(this), QString("sOldProxy_%1").arg(i), kTips[i]);
    sOldProxy_[i]->setAccessibleName(kTips[i]);
    sOldProxy_[i]->setAutoFillBackground(true);
    grid->addWidget(Option1_[i], i + 1, 0);
    grid->addWidget(sOldProxy_[i], i + 1, 1, 1, 2);
  }
  Option1_[0]->setChecked(true);
  // Only the browser of a Windows desktop has a Gopher proxy setting.
  if (!kBrowserDesktop) {
    Option1_[kGopherField]->hide();
    sOldProxy_[kGopherField]->hide();
  }
  grid->addWidget(chkSame_, 1, 3);
  grid->addWidget(bRestore_, 2, 3);
  grid->addWidget(Label2_, kFieldCount + 1, 0);
  grid->addWidget(txtBypass_, kFieldCount + 1, 1, 1, 2);
  grid->addWidget(chkBypass_, kFieldCount + 1, 3);
  grid->setColumnStretch(1, 1);

  cboConn_->installEventFilter(this);
  connect(cboConn_, &QComboBox::activated, this, [this] { OnConnectionPicked(); });
  connect(chkProxy_, &QCheckBox::clicked, this, [this] { UpdateColours(); });
  connect(chkSame_, &QCheckBox::clicked, this, [this] { UpdateColours(); });
  connect(bApply_, &QPushButton::clicked, this, [this] { OnApply(); });
  connect(bRestore_, &QPushButton::clicked, this, [this] { OnRestore(); });
}

bool ProxyPanel::eventFilter(QObject* watched, QEvent* event) {
  // The connection is chosen from the list only: typed characters are dropped.
  if (watched == cboConn_ && event->type() == QEvent::KeyPress &&
      !static_cast<QKeyEvent*>(event)->text().isEmpty()) {
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

ProxyFields ProxyPanel::Fields() const {
  ProxyFields fields;
  fields.connection = FromQt(cboConn_->currentText());
  fields.proxy = FromQt(chkProxy_->checkState());
  fields.same = chkSame_->isChecked();
  for (size_t i = 0; i < 4; ++i) fields.servers[i] = FromQt(sOldProxy_[i]->text());
  fields.socks = FromQt(sOldProxy_[kSocksProtocol]->text());
  for (size_t i = 0; i < kFieldCount; ++i) {
    if (Option1_[i]->isChecked()) fields.protocol = static_cast<int>(i);
  }
  fields.bypass = FromQt(txtBypass_->text());
  fields.bypass_local = chkBypass_->isChecked();
  return fields;
}

void ProxyPanel::SetFields(const ProxyFields& fields) {
  int index = cboConn_->findText(ToQt(fields.connection));
  if (index >= 0) cboConn_->setCurrentIndex(index);
  chkProxy_->setCheckState(ToQt(fields.proxy));
  chkSame_->setChecked(fields.same);
  for (size_t i = 0; i < 4; ++i) sOldProxy_[i]->setText(ToQt(fields.servers[i]));
  sOldProxy_[kSocksProtocol]->setText(ToQt(fields.socks));
  if (fields.protocol >= 0 && fields.protocol < kFieldCount) {
    Option1_[fields.protocol]->setChecked(true);
  }
  txtBypass_->setText(ToQt(fields.bypass));
  chkBypass_->setChecked(fields.bypass_local);
  UpdateColours();
}

void ProxyPanel::UpdateColours() {
  std::array<uint32_t, kFieldCount> colours = ProxyFieldColours(Fields());
  for (size_t i = 0; i < kFieldCount; ++i) {
    QPalette palette = sOldProxy_[i]->palette();
    palette.setColor(QPalette::Base, SystemColour(colours[i], this->palette()));
    sOldProxy_[i]->setPalette(palette);
  }
}

void ProxyPanel::Load() {
  std::vector<std::string> names{kLanConnection};
  FillConnectionList(services_.phonebook, services_.ui, names);
  cboConn_->clear();
  for (const std::string& name : names) cboConn_->addItem(ToQt(name));
  cboConn_->setCurrentIndex(0);
  ReadCurrentSettings(*this, services_.component, services_.ui);
  UpdateRestore();
}

void ProxyPanel::UpdateRestore() {
  bRestore_->setEnabled(services_.component.HasKeptSettings());
}

void ProxyPanel::OnRestore() {
  if (std::string reason = RestorePreviousSettings(services_.component); !reason.empty()) {
    services_.ui.ShowMessage(reason, MessageIcon::Exclamation);
  } else {
    ReadCurrentSettings(*this, services_.component, services_.ui);
    services_.ui.ShowMessage(
        "The desktop's proxy settings are back as they were before Quillet "
        "changed them.",
        MessageIcon::Information);
  }
  UpdateRestore();
}

void ProxyPanel::SetApplyCaption(const std::string& caption) {
  bApply_->setText(ToQt(caption));
}

void ProxyPanel::OnConnectionPicked() {
  ReadCurrentSettings(*this, services_.component, services_.ui);
}

ApplyOutcome ProxyPanel::Apply(int apply_mode) {
  const AppSettings& settings = services_.settings;
  std::string page = settings.TestHost + settings.TestPath;
  std::string test_page =
      page.empty() || StartsWithNoCase(page, "https://") ? page : "http://" + page;
  ApplyServices apply{services_.component, services_.browser, services_.shell, services_.ui};
  ApplyOutcome outcome = ApplyProxySettings(*this, apply, apply_mode, test_page);
  UpdateRestore();
  return outcome;
}

void ProxyPanel::OnApply() {
  ApplyOutcome outcome = Apply(services_.settings.ApplyButton);
  if (outcome != ApplyOutcome::Failed) emit applied(outcome == ApplyOutcome::Exit);
}

bool ProxyPanel::ApplyInPlace() {
  return Apply(0) != ApplyOutcome::Failed;
}

}  // namespace quillet
