#include "fakes/fake_user_interface.h"

namespace quillet::testing {

MessageAnswer FakeUserInterface::ShowMessage(const std::string& text, MessageIcon icon,
                                             MessageButtons buttons, const std::string& title) {
  messages.push_back({text, icon, buttons, title});
  if (!message_answers.empty()) {
    MessageAnswer answer = message_answers.front();
    message_answers.pop_front();
    return answer;
  }
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

std::string FakeUserInterface::AskText(const std::string& prompt, const std::string& initial,
                                       const std::string&) {
  prompts.push_back(prompt);
  prompt_initials.push_back(initial);
  if (text_answers.empty()) return "";
  std::string answer = text_answers.front();
  text_answers.pop_front();
  return answer;
}

void FakeUserInterface::ProcessPendingEvents() {
  int call = pending_event_calls++;
  if (call < static_cast<int>(on_pending_events.size()) && on_pending_events[call]) {
    on_pending_events[call]();
  }
}

void FakeUserInterface::SetClipboardText(const std::string& text) {
  clipboard = text;
}

const std::string& FakeUserInterface::last_message() const {
  static const std::string none;
  return messages.empty() ? none : messages.back().text;
}

}  // namespace quillet::testing
