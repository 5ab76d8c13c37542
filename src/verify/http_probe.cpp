#include "verify/http_probe.h"

#include <algorithm>
#include <cctype>

#include "app/error_report.h"
#include "core/errors.h"
#include "core/page_digest.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr size_t kMaxPathLength = 250;
constexpr int kDefaultHttpPort = 80;
constexpr int kDefaultHttpsPort = 443;
constexpr int kHttpOk = 200;
constexpr std::string_view kHttps = "https://";

// A host name as the resolver takes it: letters, digits, "-", "_" and ".".
bool IsHostName(std::string_view host) {
  return !host.empty() && std::ranges::all_of(host, [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
  });
}

// Whether `what` occurs in `text`, ignoring case. Nothing occurs in empty text, not even the
// empty text.
bool Occurs(const std::string& text, const std::string& what) {
  return !text.empty() && ContainsNoCase(text, what);
}

}  // namespace

std::string TestPageProblem(const std::string& url) {
  std::string rest = ReplaceAllNoCase(url, "http://", "");
  if (StartsWithNoCase(rest, kHttps)) rest.erase(0, kHttps.size());
  if (rest.find("://") != std::string::npos)
    return "only http:// and https:// pages can be fetched";
  std::string host_port = Before(rest, "/");
  std::string host = Before(host_port, ":");
  if (!IsHostName(host)) return "no host name before the path";
  if (host.find('.') == std::string::npos && !EqualsNoCase(host, "localhost")) {
    return "a host name has a \".\" in it (or is localhost)";
  }
  if (host_port.find(':') != std::string::npos && PortNumber(After(host_port, ":")) == 0) {
    return "the port must be a number from 1 to 65535";
  }
  return "";
}

void SetTestPage(UserInterface& ui, AppSettings& settings, std::string& url) {
  settings.TestHost.clear();
  settings.TestPath.clear();
  url = ReplaceAllNoCase(url, "http://", "");
  if (std::string problem = TestPageProblem(url); !problem.empty()) {
    ui.ShowMessage("Invalid or missing Test Page URL: " + url + "\r\n(" + problem +
                   ")\r\nPlease use the Settings button to enter a valid URL.\r\n"
                   "Without a Test Page the proxy verification will not work.");
    return;
  }
  size_t scheme = StartsWithNoCase(url, kHttps) ? kHttps.size() : 0;
  size_t slash = url.find('/', scheme);
  settings.TestHost = url.substr(0, slash);
  settings.TestPath = slash == std::string::npos ? "/" : url.substr(slash, kMaxPathLength);
}

std::optional<HttpRequest> TestPageRequest(UserInterface& ui, std::string& proxy,
                                           const std::string& host, const std::string& path,
                                           int32_t timeout_ms) {
  std::optional<HttpRequest> made;
  RunGuarded(ui, tags::kHttpGetViaProxy, [&] {
    HttpRequest request;
    request.secure = StartsWithNoCase(host, kHttps);
    request.host = host.substr(request.secure ? kHttps.size() : 0);
    request.port = request.secure ? kDefaultHttpsPort : kDefaultHttpPort;
    if (request.host.find(':') != std::string::npos) {
      request.port = PortNumber(After(request.host, ":"));
      request.host = Before(request.host, ":");
      if (request.port == 0)
        throw RunTimeError(kErrInvalidCall, "the test page's port is not 1 to 65535");
    }
    if (!proxy.empty() && proxy.find(':') == std::string::npos) return;
    request.proxy = proxy;
    request.path = path;
    request.timeout_ms = timeout_ms;
    proxy = "--";
    made = std::move(request);
  });
  return made;
}

std::string TestPageText(const HttpReply& reply, std::string& proxy) {
  if (reply.status == kHttpOk) return Left(reply.body, kFirstBlockBytes);
  if (reply.status != 0) proxy = std::to_string(reply.status);
  return "";
}

std::string HttpGetViaProxy(UserInterface& ui, HttpClient& client, std::string& proxy,
                            const std::string& host, const std::string& path, int32_t timeout_ms) {
  std::optional<HttpRequest> request = TestPageRequest(ui, proxy, host, path, timeout_ms);
  if (!request) return "";
  std::string result;
  RunGuarded(ui, tags::kHttpGetViaProxy,
             [&] { result = TestPageText(client.Get(*request), proxy); });
  return result;
}

ProbeResult JudgePage(const std::string& text, const ProbeSettings& settings) {
  ProbeResult result;
  result.Answered = !text.empty();
  result.Anonymous = !Occurs(text, settings.OwnAddress());
  result.NoSearchText = !Occurs(text, settings.SearchText);
  // A changed page tells nothing sure about the visitor: no level for it.
  result.Tampered = CheckPageDigest(text) == PageDigest::Changed;
  if (result.Answered && !result.NoSearchText && !result.Tampered) {
    result.Level = !result.Anonymous         ? AnonymityLevel::Transparent
                   : ShowsProxyHeaders(text) ? AnonymityLevel::Anonymous
                                             : AnonymityLevel::Elite;
  }
  return result;
}

ProbeResult ProbeProxy(UserInterface& ui, HttpClient& client, const ProbeSettings& settings,
                       std::string& proxy) {
  ProbeResult result;
  RunGuarded(ui, tags::kProbeProxy, [&] {
    result = JudgePage(HttpGetViaProxy(ui, client, proxy, settings.TestHost, settings.TestPath,
                                       settings.TestTimeoutMs),
                       settings);
  });
  return result;
}

}  // namespace quillet
