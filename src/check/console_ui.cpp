#include "check/console_ui.h"

#include "core/text.h"

namespace quillet::check {

std::string OneLine(const std::string& text) {
  // "Error in Proxy List file:" and the line it names read as one sentence.
  std::string line = ReplaceAll(ReplaceAll(Trim(text), "\r\n", "\n"), ":\n", ": ");
  line = ReplaceAll(line, "\n", "; ");
  return ReplaceAll(line, "\t", " ");
}

MessageAnswer ConsoleUserInterface::ShowMessage(const std::string& text, MessageIcon icon,
                                                MessageButtons buttons, const std::string&) {
  last_ = OneLine(text);
  if (icon == MessageIcon::Error) error_shown_ = true;
  if (!quiet_) err_ << "quillet-check: " << last_ << "\n";
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

}  // namespace quillet::check
