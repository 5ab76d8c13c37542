#include "ui/quillet_form.h"

#include <QLabel>

namespace quillet {

QuilletForm::QuilletForm(Platform& platform, AppSettings& settings, QtUserInterface& ui,
                         QWidget* parent)
    : QMainWindow(parent), platform_(platform), settings_(settings), ui_(ui) {
  setObjectName("QuilletForm");
  setWindowTitle("Quillet - easy proxy support");
  auto* label = new QLabel("Quillet", this);
  label->setObjectName("Label3");
  setCentralWidget(label);
  resize(900, 600);
}

}  // namespace quillet
