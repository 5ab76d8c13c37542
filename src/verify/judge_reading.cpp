#include "verify/judge_reading.h"

#include <array>
#include <sstream>
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
  std::string name;  // upper case, "-" read as "_", without a leading "HTTP_"
  std::string value;
};

// Splits "NAME = value" or "NAME: value"; false for lines of another shape.
bool ReadLine(std::string line, PageLine& read) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  size_t separator = line.find_first_of("=:");
  if (separator == std::string::npos) return false;
  std::string name = ToUpper(Trim(line.substr(0, separator)));
  // Pages in HTML may open a line with markup: "<pre>REMOTE_ADDR = ...".
  if (size_t tag = name.rfind('>'); tag != std::string::npos) name.erase(0, tag + 1);
  if (name.empty() || name.find(' ') != std::string::npos) return false;
  for (char& c : name) c = c == '-' ? '_' : c;
  if (name.rfind("HTTP_", 0) == 0) name.erase(0, 5);
  read = {name, Trim(line.substr(separator + 1))};
  return true;
}

template <class Visit>
void ForEachLine(const std::string& page, Visit visit) {
  std::istringstream lines(page);
  std::string line;
  PageLine read;
  while (std::getline(lines, line)) {
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
    std::string value = line.value.substr(0, line.value.find_first_of(" \t<"));
    if (LooksLikeAddress(value) && value.find('.') != std::string::npos) address = value;
    return true;
  });
  return address;
}

}  // namespace quillet
