#pragma once
#include "verify/http_client.h"

namespace quillet {

// The HTTP port on WinINet: InternetOpenA with the proxy (or the system's settings without one),
// the connect, receive and send time-outs, InternetConnectA, HttpOpenRequestA for an HTTP/1.0 GET
// that reloads from the origin, follows no redirect and sends no cookies, the four headers,
// HttpSendRequestA, the status as a number, and one read of up to 4096 bytes.
class WinInetHttpClient : public HttpClient {
 public:
  HttpReply Get(const HttpRequest& request) override;
};

}  // namespace quillet
