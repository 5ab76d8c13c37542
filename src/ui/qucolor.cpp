#include "ui/qucolor.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillet {

Qucolor::Qucolor(bool loading_notice, QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName("Qucolor");
  setWindowTitle("Quillet");
  auto* layout = new QVBoxLayout(this);
  txtMsg_ = new QLabel("Quillet loading List File...", this);
  txtMsg_->setObjectName("txtMsg");
  txtMsg_->setAlignment(Qt::AlignCenter);
  txtMsg_->setMinimumSize(260, 60);
  layout->addWidget(txtMsg_);
  txtMsg_->setVisible(loading_notice);
}

}  // namespace quillet
