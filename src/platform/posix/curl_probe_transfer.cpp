#include "platform/posix/curl_probe_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace quillet {
namespace {

// Connect, send and receive are each bounded by the time-out; the whole exchange by their sum.
constexpr int kPhases = 3;

// The probe's request headers, the same for every transfer, made once.
curl_slist* ProbeHeaders() {
  static curl_slist* const headers = [] {
    curl_slist* list = nullptr;
    for (const char* header : kProbeHeaders) list = curl_slist_append(list, header);
    return list;
  }();
  return headers;
}

// libcurl's own timings of the transfer: from the moment the request is about to go (the
// connection, a CONNECT tunnel, TLS or a SOCKS exchange are done: the pre-transfer time) to its
// end (the total time, also when the transfer was stopped after the first block).
int32_t FetchMilliseconds(CURL* easy) {
  curl_off_t before_request = 0;
  curl_off_t total = 0;
  if (curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &before_request) != CURLE_OK ||
      curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME_T, &total) != CURLE_OK || total < before_request)
    return -1;
  return static_cast<int32_t>((total - before_request) / 1000);
}

}  // namespace

void EnsureCurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The proxy's scheme as libcurl reads it; the scheme decides the proxy type. SOCKS4 resolves the
// page's host name here, SOCKS4a and SOCKS5 leave it to the proxy.
static std::string ProxyScheme(const std::string& protocol) {
  if (protocol == "socks4") return "socks4://";
  if (protocol == "socks4a") return "socks4a://";
  if (protocol == "socks5") return "socks5h://";
  return "http://";
}

CurlProbeTransfer::CurlProbeTransfer(const HttpRequest& request, CURL* reused) {
  EnsureCurlReady();
  easy_ = reused ? reused : curl_easy_init();
  if (easy_) Configure(request);
}

CurlProbeTransfer::~CurlProbeTransfer() {
  if (easy_) curl_easy_cleanup(easy_);
}

CURL* CurlProbeTransfer::Release() {
  CURL* easy = easy_;
  easy_ = nullptr;
  if (easy) curl_easy_reset(easy);
  return easy;
}

void CurlProbeTransfer::Configure(const HttpRequest& request) {
  url_ = (request.secure ? "https://" : "http://") + request.host + ":" +
         std::to_string(request.port) + (request.path.empty() ? "/" : request.path);
  proxy_ = request.proxy.empty() ? "" : ProxyScheme(request.protocol) + request.proxy;
  long timeout_ms = std::max<long>(request.timeout_ms, 1);
  idle_limit_ = std::chrono::milliseconds(timeout_ms);
  NoteActivity();

  curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
  // An https page goes through an HTTP proxy's CONNECT tunnel; its certificate is checked
  // against the system's authorities, or those of SSL_CERT_FILE when that is set.
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, request.secure ? "https" : "http");
  if (const char* authorities = std::getenv("SSL_CERT_FILE"))
    curl_easy_setopt(easy_, CURLOPT_CAINFO, authorities);
  curl_easy_setopt(easy_, CURLOPT_PROXY, proxy_.c_str());  // "" means no proxy at all
  curl_easy_setopt(easy_, CURLOPT_HTTPPROXYTUNNEL, request.protocol == "https" ? 1L : 0L);
  curl_easy_setopt(easy_, CURLOPT_NOPROXY, "");  // the environment's no_proxy does not apply
  if (!request.proxy_user.empty()) {
    curl_easy_setopt(easy_, CURLOPT_PROXYUSERNAME, request.proxy_user.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROXYPASSWORD, request.proxy_password.c_str());
  }
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, ProbeHeaders());
  curl_easy_setopt(easy_, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, timeout_ms);
  curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, kPhases * timeout_ms);
  // Only the first block of the page is read: a receive buffer of that size is enough, and
  // thousands of transfers in flight keep a quarter of the memory of libcurl's default.
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, static_cast<long>(kFirstBlockBytes));
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlProbeTransfer::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlProbeTransfer::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &CurlProbeTransfer::OnConnected);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
  curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &CurlProbeTransfer::OnProgress);
  curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
}

// Keeps the first block of the body; once it is full the transfer is stopped.
size_t CurlProbeTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<CurlProbeTransfer*>(self);
  size_t bytes = size * count;
  size_t room = kFirstBlockBytes - transfer->body_.size();
  transfer->body_.append(data, std::min(bytes, room));
  transfer->NoteActivity();
  return transfer->body_.size() >= kFirstBlockBytes ? 0 : bytes;
}

size_t CurlProbeTransfer::OnHeader(char*, size_t size, size_t count, void* self) {
  static_cast<CurlProbeTransfer*>(self)->NoteActivity();
  return size * count;
}

// The connection is up and the request about to go: the wait for the answer starts here, not
// at the start of a connect that took most of the time-out.
int CurlProbeTransfer::OnConnected(void* self, char*, char*, int, int) {
  static_cast<CurlProbeTransfer*>(self)->NoteActivity();
  return CURL_PREREQFUNC_OK;
}

// Stops a transfer on which nothing has moved for longer than the time-out.
int CurlProbeTransfer::OnProgress(void* self, curl_off_t, curl_off_t down, curl_off_t,
                                  curl_off_t up) {
  auto* transfer = static_cast<CurlProbeTransfer*>(self);
  if (down != transfer->last_down_ || up != transfer->last_up_) {
    transfer->last_down_ = down;
    transfer->last_up_ = up;
    transfer->NoteActivity();
  }
  auto idle = std::chrono::steady_clock::now() - transfer->last_activity_;
  return idle > transfer->idle_limit_ ? 1 : 0;
}

HttpReply CurlProbeTransfer::Finish(CURLcode result) {
  HttpReply reply;
  if (!easy_) return reply;
  long status = 0;
  if (curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200) {
    reply.status = static_cast<int>(status);
  }
  if (result == CURLE_COULDNT_CONNECT) reply.failure = HttpFailure::Refused;
  long refusal = CURLPX_OK;
  if (result == CURLE_PROXY &&
      curl_easy_getinfo(easy_, CURLINFO_PROXY_ERROR, &refusal) == CURLE_OK &&
      (refusal == CURLPX_USER_REJECTED || refusal == CURLPX_NO_AUTH)) {
    reply.failure = HttpFailure::AuthRefused;
  }
  bool stalled = result == CURLE_OPERATION_TIMEDOUT || result == CURLE_ABORTED_BY_CALLBACK;
  if (stalled) reply.failure = HttpFailure::TimedOut;
  if (reply.status == 0 && reply.failure == HttpFailure::None)
    reply.failure = HttpFailure::NoAnswer;
  if (reply.status != 0) reply.fetch_ms = FetchMilliseconds(easy_);
  // Whatever part of the first block arrived before an early end is what the read gave.
  reply.body = std::move(body_);
  return reply;
}

}  // namespace quillet
