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

std::string HttpGetViaProxy(UserInterface& ui, HttpClient& client, std::string& proxy,
                            const std::string& host, const std::string& path, int32_t timeout_ms) {
  std::string result;
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
    HttpReply reply = client.Get(request);
    if (reply.status == kHttpOk) {
      result = Left(reply.body, kFirstBlockBytes);
    } else if (reply.status != 0) {
      proxy = std::to_string(reply.status);
    }
  });
  return result;
}

ProbeResult ProbeProxy(UserInterface& ui, HttpClient& client, const ProbeSettings& settings,
                       std::string& proxy) {
  ProbeResult result;
  RunGuarded(ui, tags::kProbeProxy, [&] {
    std::string text = HttpGetViaProxy(ui, client, proxy, settings.TestHost, settings.TestPath,
                                       settings.TestTimeoutMs);
    result.Answered = !text.empty();
    result.Anonymous = !Occurs(text, settings.OwnAddress());
    result.NoSearchText = !Occurs(text, settings.SearchText);
  });
  return result;
}

}  // namespace quillet
