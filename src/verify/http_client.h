#pragma once
// The HTTP port: one GET through an HTTP proxy, each phase bounded by a time-out, giving the
// status code and the first block of the body.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillet {

// The most of a body that is ever kept: the first block.
inline constexpr size_t kFirstBlockBytes = 4096;

struct HttpRequest {
  std::string proxy;       // "host:port" of the HTTP proxy; empty: no proxy
  std::string host;        // host of the page, without port
  int port = 80;           // port of the page
  std::string path = "/";  // path of the page, starting with "/"
  int32_t timeout_ms = 0;  // bound of each phase: connect, send, receive
  // How the proxy is spoken to: empty for HTTP, else "socks4", "socks4a", "socks5" or "https"
  // (a CONNECT tunnel to the page's host and port, then the same GET through it).
  std::string protocol = "";
  // The page is fetched over TLS: through an HTTP proxy's CONNECT tunnel, or through the
  // tunnel the protocol opens.
  bool secure = false;
  // Given to the proxy when the user name is not empty: HTTP Basic for an HTTP proxy, the
  // user name and password exchange for SOCKS5.
  std::string proxy_user = "";
  std::string proxy_password = "";
};

// The request is an HTTP/1.0 GET that follows no redirect and asks every cache on the way for a
// fresh copy, with the headers "Content-Type: text/*" and "Accept-Language: en" and without
// User-Agent and Referer. Every header the probe sets, as "Name: value"; a header given without a
// value is one the request must not carry. A proxy that passes headers on unchanged would hand
// "Proxy-Connection" to the judge, which takes it for the proxy's own mark.
inline constexpr const char* kProbeHeaders[] = {
    "Content-Type: text/*", "User-Agent:",      "Referer:",
    "Accept-Language: en",  "Pragma: no-cache", "Cache-Control: no-cache",
    "Proxy-Connection:",
};

// Why no status could be read.
// AuthRefused: a SOCKS proxy refused the user name and password, or wants some and got none.
enum class HttpFailure : uint8_t { None, Refused, TimedOut, NoAnswer, AuthRefused };

struct HttpReply {
  int status = 0;    // the answer's status code; 0 when none could be read
  std::string body;  // the first block of the body (at most kFirstBlockBytes); empty when the
                     // read failed or gave nothing
  HttpFailure failure = HttpFailure::None;  // when status is 0
  // From sending the request (after the connection, and any tunnel or SOCKS exchange, was up)
  // to the end of the answer as far as it is read (its first block); -1 when not measured.
  int32_t fetch_ms = -1;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  virtual HttpReply Get(const HttpRequest& request) = 0;
};

}  // namespace quillet
