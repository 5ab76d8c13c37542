#pragma once
// A UserInterface for work that runs away from the window: it records every message box and
// pointer change and shows them later, in the same order, on the real user interface.
#include <functional>
#include <string>
#include <vector>

#include "app/user_interface.h"

namespace quillet {

class DeferredUserInterface : public UserInterface {
 public:
  // Recorded message boxes answer as if closed with their first button; input boxes answer
  // empty text (like Cancel).
  MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            const std::string& title) override;
  std::string AskText(const std::string& prompt, const std::string& initial,
                      const std::string& title) override;
  void SetPointer(PointerShape shape) override;
  void ProcessPendingEvents() override {}
  void SetClipboardText(const std::string& text) override;

  bool empty() const { return calls_.empty(); }
  // Shows what was recorded on `ui`, in order, and forgets it.
  void ReplayOn(UserInterface& ui);

 private:
  std::vector<std::function<void(UserInterface&)>> calls_;
};

}  // namespace quillet
