#pragma once
// The one seam for every message box, input box, pointer change and clipboard use.
// The Qt window system implements it; tests script it.
#include <string>

namespace quillet {

enum class MessageIcon { None, Information, Error, Question, Exclamation };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };
enum class PointerShape { Default, Busy };

// The application's title, used for message boxes unless a caller names another.
inline constexpr const char* kAppTitle = "Quillet";

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message box. Closing it with the window's close box answers Cancel (or Ok / No when
  // the box has no Cancel button).
  virtual MessageAnswer ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None,
                                    MessageButtons buttons = MessageButtons::Ok,
                                    const std::string& title = kAppTitle) = 0;

  // A modal text-input box with OK and Cancel; Cancel answers empty text.
  virtual std::string AskText(const std::string& prompt, const std::string& initial = "",
                              const std::string& title = kAppTitle) = 0;

  // The same for text of several lines (a pasted block); the window system's box takes them.
  virtual std::string AskLines(const std::string& prompt, const std::string& initial = "",
                               const std::string& title = kAppTitle) {
    return AskText(prompt, initial, title);
  }

  // Chooses a local file to save to, starting from the suggested name; empty text when the user
  // cancels. Where the window system has no file dialog, an input box asks for the path.
  virtual std::string AskSaveFileName(const std::string& prompt, const std::string& suggested) {
    return AskText(prompt, suggested);
  }

  // The mouse pointer of the whole screen.
  virtual void SetPointer(PointerShape shape) = 0;

  // Lets the window system handle what is waiting (repaints, clicks).
  virtual void ProcessPendingEvents() = 0;

  // Empties the clipboard and puts plain text on it.
  virtual void SetClipboardText(const std::string& text) = 0;
};

}  // namespace quillet
