#pragma once
// What the Windows tunnel says and reads: each proxy protocol's handshake, the probe's GET
// through the tunnel and the page's answer. Built on TunnelConnection alone.
#include "verify/http_client.h"

namespace quillet {

// The probe's GET through the proxy of `request` (SOCKS4, SOCKS4a, SOCKS5 or a CONNECT tunnel),
// with Windows Sockets already started. The connect, the handshake with the request, and the
// answer each take at most the request's time-out; interim answers (1xx) are passed over.
HttpReply GetThroughTunnel(const HttpRequest& request);

}  // namespace quillet
