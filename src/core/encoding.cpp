#include "core/encoding.h"

#include <array>
#include <cstdint>

namespace quillet {
namespace {

// The characters of the bytes 0x80 to 0x9F in Windows-1252 (0 where the code page has none).
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The length of the UTF-8 sequence at `at` and its character, or 0 when it is not one.
size_t NextCharacter(std::string_view text, size_t at, char32_t& character) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(at);
  if (lead < 0x80) {
    character = lead;
    return 1;
  }
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  character = lead & (0x3F >> (length - 1));
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    character = (character << 6) | (byte(at + i) & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  bool surrogate = character >= 0xD800 && character <= 0xDFFF;
  if (character < kSmallest[length] || character > 0x10FFFF || surrogate) return 0;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendHexEscape(std::string& out, const char* prefix, unsigned value, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  out += prefix;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 15];
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  char32_t character = 0;
  for (size_t at = 0; at < bytes.size();) {
    size_t length = NextCharacter(bytes, at, character);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char raw : bytes) {
    auto byte = static_cast<uint8_t>(raw);
    char32_t mapped = byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : 0;
    AppendUtf8(text, mapped ? mapped : byte);
  }
  return text;
}

bool EncodeWindows1252(std::string_view text, std::string& bytes) {
  bytes.clear();
  char32_t character = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = NextCharacter(text, at, character);
    if (length == 0) return false;
    at += length;
    if (character < 0x100 &&
        (character < 0x80 || character >= 0xA0 || kHighControls[character - 0x80] == 0)) {
      bytes += static_cast<char>(character);
      continue;
    }
    size_t index = 0;
    while (index < kHighControls.size() && kHighControls[index] != character) ++index;
    if (index == kHighControls.size()) return false;
    bytes += static_cast<char>(0x80 + index);
  }
  return true;
}

std::string LeftCharacters(std::string_view text, size_t count) {
  char32_t character = 0;
  size_t at = 0;
  for (size_t taken = 0; taken < count && at < text.size(); ++taken) {
    size_t length = NextCharacter(text, at, character);
    at += length == 0 ? 1 : length;  // a stray byte counts as one character
  }
  return std::string(text.substr(0, at));
}

std::string QuotedAtMost(std::string_view text, size_t count) {
  std::string quoted = LeftCharacters(text, count);
  return quoted.size() < text.size() ? quoted + "..." : quoted;
}

std::string LastCharacters(std::string_view text, size_t count) {
  auto continuation = [&](size_t i) { return (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80; };
  size_t at = text.size();
  for (size_t taken = 0; taken < count && at > 0; ++taken) {
    --at;
    for (int back = 0; back < 3 && at > 0 && continuation(at); ++back) --at;
  }
  return std::string(text.substr(at));
}

std::string EscapeControls(std::string_view text, bool keep_line_feed) {
  std::string safe;
  safe.reserve(text.size());
  char32_t character = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = NextCharacter(text, at, character);
    if (length == 0) {
      AppendHexEscape(safe, "\\x", static_cast<uint8_t>(text[at]), 2);
      ++at;
      continue;
    }
    bool line_feed = character == '\n' && keep_line_feed;
    if ((character < 0x20 && !line_feed) || character == 0x7F) {
      AppendHexEscape(safe, "\\x", character, 2);
    } else if (character >= 0x80 && character < 0xA0) {
      AppendHexEscape(safe, "\\u", character, 4);
    } else {
      safe.append(text.substr(at, length));
    }
    at += length;
  }
  return safe;
}

}  // namespace quillet
