#pragma once
// The user interface of a command-line program: every message box becomes one line on standard
// error (line breaks inside a message become "; "), and every box is answered as if its first
// button had been pressed. It remembers whether an error was shown.
#include <ostream>
#include <streambuf>
#include <string>

#include "app/user_interface.h"

namespace quillet::check {

class ConsoleUserInterface : public UserInterface {
 public:
  explicit ConsoleUserInterface(std::ostream& err) : err_(err) {}

  MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                            const std::string& title) override;
  std::string AskText(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  void SetPointer(PointerShape) override {}
  void ProcessPendingEvents() override {}
  void SetClipboardText(const std::string&) override {}

  // The last message shown as one line, and whether any message came with the error icon.
  const std::string& last_message() const { return last_; }
  bool error_shown() const { return error_shown_; }
  // While quiet, messages are remembered but not printed; with errors only, only errors are.
  void set_quiet(bool quiet) { quiet_ = quiet; }
  void set_errors_only(bool errors_only) { errors_only_ = errors_only; }

 private:
  std::ostream& err_;
  std::string last_;
  bool error_shown_ = false;
  bool quiet_ = false;
  bool errors_only_ = false;
};

// A message's text as one line.
std::string OneLine(const std::string& text);

// Passes text on to `out` a line at a time with its control bytes escaped, so that text from a
// list file or a proxy cannot move the cursor, recolour or retitle the user's terminal. The line
// feed that ends a line is kept.
class EscapingBuffer : public std::streambuf {
 public:
  explicit EscapingBuffer(std::ostream& out) : out_(out) {}
  ~EscapingBuffer() override { sync(); }

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  std::ostream& out_;
  std::string line_;
};

}  // namespace quillet::check
