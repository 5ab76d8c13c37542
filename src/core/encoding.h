#pragma once
// Text encodings at the program's edges. Inside, text is UTF-8; list files written on older
// Windows machines hold Windows-1252 bytes, and terminals must not receive control bytes.
#include <string>
#include <string_view>

namespace quillet {

bool IsValidUtf8(std::string_view bytes);

// Windows-1252 bytes as UTF-8. The five bytes that code page leaves undefined become the
// control characters of the same number, so every byte comes back by EncodeWindows1252.
std::string DecodeWindows1252(std::string_view bytes);

// UTF-8 text as Windows-1252 bytes; false when a character has no byte there (or the text is
// not UTF-8).
bool EncodeWindows1252(std::string_view text, std::string& bytes);

// The first `count` characters of UTF-8 text; never cuts inside a character.
std::string LeftCharacters(std::string_view text, size_t count);

// A message quotes at most this many characters of a bad line.
inline constexpr size_t kQuotedCharacters = 200;

// At most `count` characters of UTF-8 text for quoting in a message, with "..." behind it when
// the text was longer.
std::string QuotedAtMost(std::string_view text, size_t count);

// The last `count` characters of UTF-8 text; never cuts inside a character.
std::string LastCharacters(std::string_view text, size_t count);

// Text safe to print on a terminal: control characters (C0, DEL, C1) and bytes that are not
// UTF-8 become "\xNN" (or "\u0085" for a C1 character); only the line feed is kept when
// `keep_line_feed` is set.
std::string EscapeControls(std::string_view text, bool keep_line_feed = false);

}  // namespace quillet
