#include "platform/win32/wininet_http_client.h"

#include "platform/win32/winsock_tunnel.h"

#include <windows.h>

#include <wininet.h>

#include <cstring>

namespace quillet {
namespace {

constexpr DWORD kNoCacheWrite = 0x4000000;  // INTERNET_FLAG_NO_CACHE_WRITE
// Reload from the origin server, no automatic redirection, no cookies.
constexpr DWORD kRequestFlags = 0x80280000;
// Add the header, or replace one of the same name; an empty value removes the header.
constexpr DWORD kAddOrReplace = 0xA0000000;
constexpr DWORD kStatusAsNumber = 0x20000013;  // HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER
constexpr const char* kHeaders[] = {"Content-Type: text/*\r\n", "User-Agent:\r\n", "Referer:\r\n",
                                    "Accept-Language: en\r\n"};

HINTERNET OpenInternet(const std::string& proxy) {
  if (proxy.empty()) {
    return InternetOpenA("quillet", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, kNoCacheWrite);
  }
  return InternetOpenA(proxy.c_str(), INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), nullptr,
                       kNoCacheWrite);
}

void SetTimeouts(HINTERNET internet, DWORD timeout_ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_SEND_TIMEOUT}) {
    InternetSetOptionA(internet, option, &timeout_ms, sizeof timeout_ms);
  }
}

// The status code, and on 200 the first block of the body, of a request that was sent.
void ReadAnswer(HINTERNET request, HttpReply& reply) {
  char buffer[kFirstBlockBytes] = {};
  DWORD length = sizeof buffer;
  DWORD index = 0;
  if (HttpQueryInfoA(request, kStatusAsNumber, buffer, &length, &index) != 1) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
  reply.status = bytes[0] + 256 * bytes[1];
  if (reply.status != 200) return;
  DWORD read = 0;
  if (InternetReadFile(request, buffer, sizeof buffer, &read)) reply.body.assign(buffer, read);
}

}  // namespace

HttpReply WinInetHttpClient::Get(const HttpRequest& request) {
  HttpReply reply;
  // WinINet is given HTTP proxies only: its "socks=" entry speaks SOCKS4 alone on Windows (and is
  // ignored by Wine, which then fetches directly), and it has no CONNECT for an http:// page.
  if (!request.protocol.empty()) return TunnelGet(request);
  HINTERNET internet = OpenInternet(request.proxy);
  HINTERNET connection = nullptr;
  HINTERNET sent = nullptr;
  if (internet) {
    SetTimeouts(internet, static_cast<DWORD>(request.timeout_ms));
    connection =
        InternetConnectA(internet, request.host.c_str(), static_cast<INTERNET_PORT>(request.port),
                         nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  }
  if (connection) {
    // An https page: WinINet opens TLS through the proxy's CONNECT tunnel.
    sent = HttpOpenRequestA(connection, "GET", request.path.c_str(), "HTTP/1.0", nullptr, nullptr,
                            kRequestFlags | (request.secure ? INTERNET_FLAG_SECURE : 0), 0);
  }
  if (sent) {
    // Wine keeps the session's send and receive time-outs from its requests; given to the
    // request as well (which Windows honours the same way) a silent proxy cannot hang the probe.
    SetTimeouts(sent, static_cast<DWORD>(request.timeout_ms));
    for (const char* header : kHeaders) {
      HttpAddRequestHeadersA(sent, header, static_cast<DWORD>(std::strlen(header)), kAddOrReplace);
    }
    // WinINet answers the proxy's 407 with these (HTTP Basic).
    std::string user = request.proxy_user, password = request.proxy_password;
    if (!user.empty()) {
      InternetSetOptionA(sent, INTERNET_OPTION_PROXY_USERNAME, user.data(),
                         static_cast<DWORD>(user.size() + 1));
      InternetSetOptionA(sent, INTERNET_OPTION_PROXY_PASSWORD, password.data(),
                         static_cast<DWORD>(password.size() + 1));
    }
    if (HttpSendRequestA(sent, nullptr, 0, nullptr, 0)) ReadAnswer(sent, reply);
  }
  // Closed in the order they were opened; a handle that its parent's close already ended is
  // refused harmlessly.
  for (HINTERNET handle : {internet, connection, sent}) {
    if (handle) InternetCloseHandle(handle);
  }
  return reply;
}

}  // namespace quillet
