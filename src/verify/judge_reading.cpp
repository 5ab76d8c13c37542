#include "verify/judge_reading.h"

#include <array>
#include <cctype>
#include <string_view>

#include "core/text.h"

namespace quillet {
namespace {

// Headers that proxies add to say that they are there or whom they serve, named as judge
// variables without the "HTTP_" prefix.
constexpr std::array<std::string_view, 11> kProxyHeaders = {
    "VIA",       "X_FORWARDED_FOR",  "FORWARDED",  "FORWARDED_FOR", "X_FORWARDED",    "CLIENT_IP",
    "X_REAL_IP", "PROXY_CONNECTION", "X_PROXY_ID", "X_CLIENT_IP",   "PROXY_CLIENT_IP"};

struct PageLine {
  std::string name;        // upper case, "-" read as "_", without a leading "HTTP_"
  std::string_view value;  // within the page
};

std::string_view TrimView(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Splits "NAME = value" or "NAME: value"; false for lines of another shape. A judge page is read
// for every proxy checked: nothing here allocates for a name as short as the variables' own.
bool ReadLine(std::string_view line, PageLine& read) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t separator = line.find_first_of("=:");
  if (separator == std::string_view::npos) return false;
  std::string_view name = TrimView(line.substr(0, separator));
  // Pages in HTML may open a line with markup: "<pre>REMOTE_ADDR = ...".
  if (size_t tag = name.rfind('>'); tag != std::string_view::npos) name.remove_prefix(tag + 1);
  if (name.empty() || name.find(' ') != std::string_view::npos) return false;
  read.name.assign(name);
  for (char& c : read.name)
    c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (read.name.rfind("HTTP_", 0) == 0) read.name.erase(0, 5);
  read.value = TrimView(line.substr(separator + 1));
  return true;
}

template <class Visit>
void ForEachLine(std::string_view page, Visit visit) {
  PageLine read;
  while (!page.empty()) {
    size_t end = page.find('\n');
    std::string_view line = page.substr(0, end);
    page.remove_prefix(end == std::string_view::npos ? page.size() : end + 1);
    if (ReadLine(line, read) && visit(read)) return;
  }
}

}  // namespace

const char* LevelWord(AnonymityLevel level) {
  switch (level) {
    case AnonymityLevel::Transparent:
      return "transparent";
    case AnonymityLevel::Anonymous:
      return "anonymous";
    case AnonymityLevel::Elite:
      return "elite";
    case AnonymityLevel::Unknown:
      break;
  }
  return "";
}

bool ShowsProxyHeaders(const std::string& page) {
  bool shown = false;
  ForEachLine(page, [&shown](const PageLine& line) {
    for (std::string_view header : kProxyHeaders) {
      if (line.name == header && !line.value.empty()) shown = true;
    }
    return shown;
  });
  return shown;
}

std::string RemoteAddressOf(const std::string& page) {
  std::string address;
  ForEachLine(page, [&address](const PageLine& line) {
    if (line.name != "REMOTE_ADDR") return false;
    std::string value(line.value.substr(0, line.value.find_first_of(" \t<")));
    if (LooksLikeAddress(value) && value.find('.') != std::string::npos) address = value;
    return true;
  });
  return address;
}

}  // namespace quillet
