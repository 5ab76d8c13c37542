#pragma once
#include <QString>
#include <string>

#include "app/user_interface.h"

class QWidget;

namespace quillet {

// Program text is bytes in the local 8-bit encoding; Qt shows it as Unicode.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

class QtUserInterface : public UserInterface {
 public:
  // Message boxes are centred over the active window, or over the window given here.
  void SetParentWindow(QWidget* window) { parent_ = window; }

  MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            const std::string& title) override;
  std::string AskText(const std::string& prompt, const std::string& initial,
                      const std::string& title) override;
  std::string AskLines(const std::string& prompt, const std::string& initial,
                       const std::string& title) override;
  std::string AskSaveFileName(const std::string& prompt, const std::string& suggested) override;
  void SetPointer(PointerShape shape) override;
  void ProcessPendingEvents() override;
  void SetClipboardText(const std::string& text) override;

 private:
  QWidget* Parent() const;
  QWidget* parent_ = nullptr;
  bool busy_ = false;
};

}  // namespace quillet
