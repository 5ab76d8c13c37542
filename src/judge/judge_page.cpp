#include "judge/judge_page.h"

#include <algorithm>

#include "core/page_digest.h"

namespace quillet::judge {
namespace {

constexpr const char* kProxyVariables[] = {"HTTP_CLIENT_IP", "HTTP_FORWARDED", "HTTP_VIA",
                                           "HTTP_X_FORWARDED_FOR"};

std::string Printable(const std::string& value) {
  std::string out = value;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return out;
}

void AddLine(std::string& page, const std::string& name, const std::string& value) {
  page += name + " = " + Printable(value) + "\n";
}

}  // namespace

std::string VariableName(const std::string& header) {
  std::string name = "HTTP_";
  for (char c : header) {
    if (c == '-') {
      name += '_';
    } else if (c >= 'a' && c <= 'z') {
      name += static_cast<char>(c - 'a' + 'A');
    } else {
      name += c;
    }
  }
  return Printable(name);
}

std::string JudgePage(const VisitorRequest& request) {
  std::string page;
  AddLine(page, "REMOTE_ADDR", request.remote_addr);
  AddLine(page, "REMOTE_PORT", std::to_string(request.remote_port));
  AddLine(page, "REQUEST_METHOD", request.method);
  AddLine(page, "REQUEST_URI", request.uri);
  AddLine(page, "SERVER_PROTOCOL", request.protocol);
  AddLine(page, "REQUEST_TIME", std::to_string(request.time));
  std::vector<std::string> listed;
  for (const auto& [header, value] : request.headers) {
    listed.push_back(VariableName(header));
    AddLine(page, listed.back(), value);
  }
  for (const char* variable : kProxyVariables) {
    if (std::find(listed.begin(), listed.end(), variable) == listed.end()) {
      AddLine(page, variable, "");
    }
  }
  // Last, the page's digest: Quillet tells from it whether a proxy changed the page.
  return WithPageDigest(page);
}

}  // namespace quillet::judge
