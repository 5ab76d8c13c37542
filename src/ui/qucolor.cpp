#include "ui/qucolor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "proxylist/row_colour.h"

namespace quillet {
namespace {

// The faces of the eight colour buttons; button i applies palette colour i + 8.
constexpr QRgb kButtonFaces[8] = {qRgb(0, 0, 0),     qRgb(0, 0, 192),    qRgb(0, 192, 0),
                                  qRgb(0, 255, 255), qRgb(255, 0, 0),    qRgb(255, 0, 255),
                                  qRgb(255, 255, 0), qRgb(255, 255, 255)};

}  // namespace

Qucolor::Qucolor(bool loading_notice, QWidget* parent) : QDialog(parent) {
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

Qucolor::Qucolor(ListWindow window, QWidget* parent) : Qucolor(false, parent) {
  window_.emplace(window);
  BuildPicker();
}

void Qucolor::BuildPicker() {
  auto* frame = new QGroupBox("Color", this);
  frame->setObjectName("Frame1");
  option_text_ = new QRadioButton("&Text", frame);
  option_text_->setObjectName("Option1");
  option_text_->setChecked(true);
  auto* option_back = new QRadioButton("&Background", frame);
  option_back->setObjectName("Option2");
  auto* options = new QHBoxLayout;
  options->addWidget(option_text_);
  options->addWidget(option_back);
  auto* colours = new QHBoxLayout;
  for (int i = 0; i < 8; ++i) {
    auto* button = new QPushButton(frame);
    button->setObjectName(QString("Command1_%1").arg(i));
    button->setFixedSize(26, 22);
    button->setStyleSheet(QString("background-color: %1; border: 1px solid gray;")
                              .arg(QColor(kButtonFaces[i]).name()));
    connect(button, &QPushButton::clicked, this, [this, i] {
      ColorTarget target = option_text_->isChecked() ? ColorTarget::Text : ColorTarget::Background;
      ColorButtonCommand(*window_, i, target);
    });
    colours->addWidget(button);
  }
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addLayout(options);
  frame_layout->addLayout(colours);

  auto* no_color = new QPushButton("&default", this);
  no_color->setObjectName("bNoColor");
  connect(no_color, &QPushButton::clicked, this, [this] { DefaultColorCommand(*window_); });
  auto* exit = new QPushButton("&Exit", this);
  exit->setObjectName("bExit");
  connect(exit, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(no_color);
  buttons->addStretch(1);
  buttons->addWidget(exit);
  layout()->addWidget(frame);
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
}

}  // namespace quillet
