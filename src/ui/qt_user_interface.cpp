#include "ui/qt_user_interface.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace quillet {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

}  // namespace

QString ToQt(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

std::string FromQt(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

QWidget* QtUserInterface::Parent() const {
  QWidget* active = QApplication::activeWindow();
  return active ? active : parent_;
}

MessageAnswer QtUserInterface::ShowMessage(const std::string& text, MessageIcon icon,
                                           MessageButtons buttons, const std::string& title) {
  // A message must be readable even while the program shows the busy pointer.
  bool was_busy = busy_;
  if (was_busy) QApplication::restoreOverrideCursor();
  QMessageBox box(ToQtIcon(icon), ToQt(title), ToQt(text), ToQtButtons(buttons), Parent());
  int answer = box.exec();
  if (was_busy) QApplication::setOverrideCursor(Qt::BusyCursor);
  switch (answer) {
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    default:
      break;
  }
  // The close box: Cancel where there is one, else the box's safe answer.
  if (buttons == MessageButtons::YesNo) return MessageAnswer::No;
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::string QtUserInterface::AskText(const std::string& prompt, const std::string& initial,
                                     const std::string& title) {
  bool ok = false;
  QString answer = QInputDialog::getText(Parent(), ToQt(title), ToQt(prompt), QLineEdit::Normal,
                                         ToQt(initial), &ok);
  return ok ? FromQt(answer) : std::string();
}

std::string QtUserInterface::AskLines(const std::string& prompt, const std::string& initial,
                                      const std::string& title) {
  bool ok = false;
  QString answer =
      QInputDialog::getMultiLineText(Parent(), ToQt(title), ToQt(prompt), ToQt(initial), &ok);
  return ok ? FromQt(answer) : std::string();
}

std::string QtUserInterface::AskSaveFileName(const std::string& prompt,
                                             const std::string& suggested) {
  return FromQt(QFileDialog::getSaveFileName(Parent(), ToQt(prompt), ToQt(suggested),
                                             "Proxy lists (*.txt);;All files (*)"));
}

void QtUserInterface::SetPointer(PointerShape shape) {
  bool busy = shape == PointerShape::Busy;
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtUserInterface::ProcessPendingEvents() {
  QApplication::processEvents();
}

void QtUserInterface::SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setText(ToQt(text));
}

}  // namespace quillet
