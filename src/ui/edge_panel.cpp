#include "ui/edge_panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/desktop_kind.h"

namespace quillet {
namespace {

QLabel* Link(const char* name, const QString& caption, const char* tip, QWidget* parent) {
  auto* label = new QLabel("<a href=\"open\">" + caption.toHtmlEscaped() + "</a>", parent);
  label->setObjectName(name);
  label->setToolTip(tip);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  return label;
}

}  // namespace

EdgePanel::EdgePanel(QWidget* parent) : QGroupBox(parent) {
  setObjectName("Frame1");
  Label3_ = new QLabel("Quillet", this);
  Label3_->setObjectName("Label3");
  QFont big = Label3_->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  Label3_->setFont(big);

  lblJava_ = new QLabel("Java", this);
  lblJava_->setObjectName("lblJava");
  lblJava2_ = new QLabel("is on", this);
  lblJava2_->setObjectName("lblJava2");
  for (QLabel* label : {lblJava_, lblJava2_}) label->setToolTip("Java on/off indicator");
  chkJava_ = new QCheckBox("Enable &Java", this);
  chkJava_->setObjectName("chkJava");
  chkJava_->setToolTip("Enable Java applets");
  // Only the browser of a Windows desktop has a Java setting.
  if (!kBrowserDesktop) {
    for (QWidget* java : std::initializer_list<QWidget*>{chkJava_, lblJava_, lblJava2_}) {
      java->hide();
    }
  }

  lblVersion_ = new QLabel("Version", this);
  lblVersion_->setObjectName("lblVersion");
  lblVersion_->setToolTip("Check web site for updates");
  lblBrask_ = Link("lblBrask", "Brasklet", "Brasklet web page", this);
  lblHelp_ = Link("lblHelp", "Help online", "Help web page", this);

  bSettings_ = new QPushButton("&Settings", this);
  bSettings_->setObjectName("bSettings");
  bSettings_->setToolTip("Additional settings");
  bExit_ = new QPushButton("&Cancel", this);
  bExit_->setObjectName("bExit");
  bExit_->setToolTip("Quit without saving changes");

  auto* java = new QHBoxLayout();
  java->addWidget(lblJava_);
  java->addWidget(lblJava2_);
  java->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label3_);
  layout->addLayout(java);
  layout->addWidget(chkJava_);
  layout->addWidget(lblVersion_);
  layout->addWidget(lblBrask_);
  layout->addWidget(lblHelp_);
  layout->addStretch(1);
  layout->addWidget(bSettings_);
  layout->addWidget(bExit_);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

  connect(bSettings_, &QPushButton::clicked, this, &EdgePanel::settingsClicked);
  connect(bExit_, &QPushButton::clicked, this, &EdgePanel::exitClicked);
  connect(lblBrask_, &QLabel::linkActivated, this, &EdgePanel::makerLinkClicked);
  connect(lblHelp_, &QLabel::linkActivated, this, &EdgePanel::helpLinkClicked);
}

void EdgePanel::ShowJava(bool on) {
  lblJava_->setEnabled(on);
  lblJava2_->setEnabled(on);
  lblJava2_->setText(on ? "is on" : "is off");
}

void EdgePanel::HideBrowserControls() {
  lblJava_->hide();
  lblJava2_->hide();
}

void EdgePanel::ShowVersion(const QString& text) {
  lblVersion_->setText(text);
}

void EdgePanel::TurnCancelIntoExit() {
  bExit_->setText("E&xit");
  bExit_->setToolTip("Exit");
}

}  // namespace quillet
