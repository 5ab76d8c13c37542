#include "check/console_ui.h"

#include "core/encoding.h"
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
  if (!quiet_ && (!errors_only_ || icon == MessageIcon::Error))
    err_ << "quillet-check: " << last_ << "\n";
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

int EscapingBuffer::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  line_ += static_cast<char>(c);
  if (c == '\n') sync();
  return c;
}

std::streamsize EscapingBuffer::xsputn(const char* text, std::streamsize count) {
  for (std::streamsize i = 0; i < count; ++i) overflow(static_cast<unsigned char>(text[i]));
  return count;
}

int EscapingBuffer::sync() {
  if (!line_.empty()) out_ << EscapeControls(line_, true);
  line_.clear();
  out_.flush();
  return 0;
}

}  // namespace quillet::check
