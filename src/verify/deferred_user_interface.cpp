#include "verify/deferred_user_interface.h"

namespace quillet {

MessageAnswer DeferredUserInterface::ShowMessage(const std::string& text, MessageIcon icon,
                                                 MessageButtons buttons, const std::string& title) {
  calls_.push_back([=](UserInterface& ui) { ui.ShowMessage(text, icon, buttons, title); });
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

std::string DeferredUserInterface::AskText(const std::string& prompt, const std::string& initial,
                                           const std::string& title) {
  calls_.push_back([=](UserInterface& ui) { ui.AskText(prompt, initial, title); });
  return "";
}

void DeferredUserInterface::SetPointer(PointerShape shape) {
  calls_.push_back([=](UserInterface& ui) { ui.SetPointer(shape); });
}

void DeferredUserInterface::SetClipboardText(const std::string& text) {
  calls_.push_back([=](UserInterface& ui) { ui.SetClipboardText(text); });
}

void DeferredUserInterface::ReplayOn(UserInterface& ui) {
  auto calls = std::move(calls_);
  calls_.clear();
  for (auto& call : calls) call(ui);
}

}  // namespace quillet
