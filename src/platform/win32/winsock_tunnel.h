#pragma once
#include "verify/http_client.h"

namespace quillet {

// The probe's GET through a proxy that WinINet cannot use, over Windows Sockets: SOCKS4 (the
// page's host resolved here), SOCKS4a and SOCKS5 (the host name left to the proxy), and "https",
// a CONNECT tunnel to the page's host and port. After the handshake the same HTTP/1.0 GET goes
// through the tunnel. Connect, each send and each receive wait at most the request's time-out.
HttpReply TunnelGet(const HttpRequest& request);

}  // namespace quillet
