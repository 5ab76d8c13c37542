#include <sstream>

#include "farm_server.h"

namespace proxyfarm {
namespace {

std::string RequestTarget(const std::string& request) {
  size_t first = request.find(' ');
  size_t second = first == std::string::npos ? first : request.find(' ', first + 1);
  if (second == std::string::npos) return "/";
  std::string target = request.substr(first + 1, second - first - 1);
  // An absolute URI as a proxy receives it: keep the path only.
  if (size_t scheme = target.find("://"); scheme != std::string::npos) {
    size_t path = target.find('/', scheme + 3);
    return path == std::string::npos ? "/" : target.substr(path);
  }
  return target;
}

// The request's headers as judge variables (HTTP_NAME = value), proxy-only headers left out.
std::string HeaderVariables(const std::string& request) {
  std::istringstream lines(request);
  std::string line, out;
  std::getline(lines, line);  // request line
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t colon = line.find(':');
    if (line.empty() || colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    std::string value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    for (char& c : name) c = c == '-' ? '_' : static_cast<char>(std::toupper((unsigned char)c));
    if (name == "PROXY_CONNECTION") continue;
    out += "HTTP_" + name + " = " + value + "\n";
  }
  return out;
}

std::string Response(const std::string& status, const std::string& type, const std::string& body) {
  return "HTTP/1.0 " + status + "\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
         body;
}

}  // namespace

std::string JudgePage(Kind kind, const std::string& request, const std::string& proxy_address,
                      const std::string& client_address) {
  std::string page = "REMOTE_ADDR = " + proxy_address + "\nREMOTE_PORT = 40000\n" +
                     "REQUEST_METHOD = GET\nREQUEST_URI = " + RequestTarget(request) +
                     "\nSERVER_PROTOCOL = HTTP/1.0\nREQUEST_TIME = 1764950400\n" +
                     HeaderVariables(request);
  if (kind == Kind::Anonymous || kind == Kind::Transparent) {
    page += "HTTP_VIA = 1.1 " + proxy_address + " (proxyfarm)\n";
  }
  if (kind == Kind::Transparent) page += "HTTP_X_FORWARDED_FOR = " + client_address + "\n";
  return page;
}

std::string Answer(Kind kind, const std::string& request, const std::string& proxy_address,
                   const std::string& client_address) {
  switch (kind) {
    case Kind::Deny:
      return Response("403 Forbidden", "text/html",
                      "<html><body><h1>403 Forbidden</h1>Access denied.</body></html>\n");
    case Kind::Garbage: {
      static constexpr char kGarbage[] = "\x16\x03\x01 this is not HTTP\x00\xff\xfe at all\r\n\r\n";
      return std::string(kGarbage, sizeof kGarbage - 1);
    }
    default:
      return Response("200 OK", "text/plain",
                      JudgePage(kind, request, proxy_address, client_address));
  }
}

}  // namespace proxyfarm
