#pragma once
// A scripted user: answers message boxes and input boxes from queues and records what was shown.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/user_interface.h"

namespace quillet::testing {

struct ShownMessage {
  std::string text;
  MessageIcon icon;
  MessageButtons buttons;
  std::string title;
};

class FakeUserInterface : public UserInterface {
 public:
  // Answers used in order; when a queue is empty, message boxes answer Ok / Yes and input boxes
  // answer empty text (like Cancel).
  std::deque<MessageAnswer> message_answers;
  std::deque<std::string> text_answers;

  std::vector<ShownMessage> messages;
  std::vector<PointerShape> pointer_changes;
  int pending_event_calls = 0;
  // What another program left on the clipboard: a copy must replace it, even with empty text.
  std::string clipboard = "text of another program";

  // Run at each ProcessPendingEvents call (a click arriving while the program yields).
  std::vector<std::function<void()>> on_pending_events;
  std::function<void()> on_message;  // run as each message box is shown

  MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            const std::string& title) override {
    messages.push_back({text, icon, buttons, title});
    if (on_message) on_message();
    MessageAnswer otherwise =
        buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    return Next(message_answers, otherwise);
  }
  std::vector<std::string> text_initials;  // the text each input box started with

  std::string AskText(const std::string&, const std::string& initial, const std::string&) override {
    text_initials.push_back(initial);
    return Next(text_answers, std::string());
  }
  void SetPointer(PointerShape shape) override { pointer_changes.push_back(shape); }
  void ProcessPendingEvents() override {
    size_t call = static_cast<size_t>(pending_event_calls++);
    if (call < on_pending_events.size() && on_pending_events[call]) on_pending_events[call]();
  }
  void SetClipboardText(const std::string& text) override { clipboard = text; }

  PointerShape pointer() const {
    return pointer_changes.empty() ? PointerShape::Default : pointer_changes.back();
  }
  std::string last_message() const { return messages.empty() ? "" : messages.back().text; }

 private:
  template <class T>
  static T Next(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace quillet::testing
