#include "verify/http_probe.h"

#include "app/error_report.h"
#include "core/errors.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr long kErrTypeMismatch = 13;
constexpr size_t kMaxPathLength = 250;
constexpr size_t kMaxPortText = 999;
constexpr int kDefaultHttpPort = 80;
constexpr int kHttpOk = 200;

// The port of "host:port" as a 16-bit signed number, raising the failure the error report shows.
int PortOf(const std::string& port_text) {
  std::string text = Left(port_text, kMaxPortText);
  if (!IsNumeric(text)) throw RunTimeError(kErrTypeMismatch, "Type mismatch");
  long long port = LeadingWholeNumber(text);
  if (port > 32767 || port < -32768) throw RunTimeError(kErrOverflow, "Overflow");
  return static_cast<int>(port);
}

// Whether `what` occurs in `text`, ignoring case. Nothing occurs in empty text, not even the
// empty text.
bool Occurs(const std::string& text, const std::string& what) {
  return !text.empty() && ContainsNoCase(text, what);
}

}  // namespace

void SetTestPage(UserInterface& ui, AppSettings& settings, std::string& url) {
  settings.TestHost.clear();
  settings.TestPath.clear();
  url = ReplaceAllNoCase(url, "http://", "");
  if (url.find('.') == std::string::npos) {
    ui.ShowMessage("Invalid or missing Test Page URL: " + url +
                   "\r\nPlease use the Settings button to enter a valid URL.\r\n"
                   "Without a Test Page the proxy verification will not work.");
    return;
  }
  size_t slash = url.find('/');
  if (slash == std::string::npos) {
    settings.TestHost = url;
    settings.TestPath = "/";
  } else {
    settings.TestHost = url.substr(0, slash);
    settings.TestPath = url.substr(slash, kMaxPathLength);
  }
}

std::optional<HttpRequest> TestPageRequest(UserInterface& ui, std::string& proxy,
                                           const std::string& host, const std::string& path,
                                           int32_t timeout_ms) {
  std::optional<HttpRequest> made;
  RunGuarded(ui, tags::kHttpGetViaProxy, [&] {
    HttpRequest request;
    request.host = host;
    request.port = kDefaultHttpPort;
    if (host.find(':') != std::string::npos) {
      request.host = Before(host, ":");
      request.port = PortOf(After(host, ":"));
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
  if (result.Answered && !result.NoSearchText) {
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
