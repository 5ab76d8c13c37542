#include "core/text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace quillet {
namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the number at the start of `text` (0 when none), in the general parser's grammar.
size_t NumberLength(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    size_t exp_digits = 0;
    while (j < text.size() && IsDigit(text[j])) ++j, ++exp_digits;
    if (exp_digits > 0) i = j;
  }
  return i;
}

}  // namespace

std::string Trim(std::string_view text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(begin, end - begin + 1));
}

double LeadingNumber(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return 0;
  std::string_view rest = text.substr(start);
  size_t length = NumberLength(rest);
  if (length == 0) return 0;
  double value = std::strtod(std::string(rest.substr(0, length)).c_str(), nullptr);
  return std::isfinite(value) ? value : 0;
}

long long LeadingWholeNumber(std::string_view text) {
  double value = std::round(LeadingNumber(text));
  if (value > 9.2e18) return 9200000000000000000LL;
  if (value < -9.2e18) return -9200000000000000000LL;
  return static_cast<long long>(value);
}

bool IsNumeric(std::string_view text) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return false;
  return NumberLength(trimmed) == trimmed.size();
}

size_t FindNoCase(std::string_view text, std::string_view what, size_t from) {
  if (what.empty()) return from <= text.size() ? from : std::string::npos;
  if (what.size() > text.size()) return std::string::npos;
  for (size_t i = from; i + what.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < what.size() && Lower(text[i + k]) == Lower(what[k])) ++k;
    if (k == what.size()) return i;
  }
  return std::string::npos;
}

bool ContainsNoCase(std::string_view text, std::string_view what) {
  return FindNoCase(text, what) != std::string::npos;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(Lower(a[i]));
    unsigned char y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string ToUpper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), Upper);
  return out;
}

std::string ToLower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = text.find(what, pos)) != std::string_view::npos;
       pos = hit + what.size()) {
    out.append(text.substr(pos, hit - pos)).append(with);
  }
  return out.append(text.substr(pos));
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = FindNoCase(text, what, pos)) != std::string::npos;
       pos = hit + what.size()) {
    out.append(text.substr(pos, hit - pos)).append(with);
  }
  return out.append(text.substr(pos));
}

std::string RemoveChar(std::string_view text, char c) {
  std::string out;
  out.reserve(text.size());
  for (char x : text)
    if (x != c) out.push_back(x);
  return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) return {std::string(text)};
  size_t pos = 0;
  for (size_t hit; (hit = text.find(separator, pos)) != std::string_view::npos;
       pos = hit + separator.size()) {
    pieces.emplace_back(text.substr(pos, hit - pos));
  }
  pieces.emplace_back(text.substr(pos));
  return pieces;
}

std::string Before(std::string_view text, std::string_view separator) {
  size_t hit = text.find(separator);
  return std::string(hit == std::string_view::npos ? text : text.substr(0, hit));
}

std::string After(std::string_view text, std::string_view separator) {
  size_t hit = text.find(separator);
  return hit == std::string_view::npos ? std::string()
                                       : std::string(text.substr(hit + separator.size()));
}

std::string Left(std::string_view text, size_t n) {
  return std::string(text.substr(0, n));
}

bool LooksLikeAddress(std::string_view host) {
  return IsNumeric(ReplaceAll(host, ".", "0"));
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int PortNumber(std::string_view text) {
  if (!AllDigits(text) || text.size() > 5) return 0;
  int number = std::stoi(std::string(text));
  return number <= 65535 ? number : 0;
}

}  // namespace quillet
