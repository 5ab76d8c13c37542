#include "platform/win32/winsock_tunnel.h"

#include <winsock2.h>

#include "platform/win32/tunnel_exchange.h"

namespace quillet {
namespace {

constexpr WORD kVersion22 = 0x0202;

}  // namespace

HttpReply TunnelGet(const HttpRequest& request) {
  // The tunnel speaks no TLS: an https page is not fetched through it.
  if (request.secure) return {};
  WSADATA data;
  if (WSAStartup(kVersion22, &data) != 0) return {};
  HttpReply reply = GetThroughTunnel(request);
  WSACleanup();
  return reply;
}

}  // namespace quillet
