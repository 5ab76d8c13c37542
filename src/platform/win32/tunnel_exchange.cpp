#include "platform/win32/tunnel_exchange.h"

#include <ws2tcpip.h>

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "platform/win32/tunnel_connection.h"

namespace quillet {
namespace {

constexpr size_t kMostHeadBytes = 65536;

std::optional<in_addr> Ipv4Of(const std::string& host) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  in_addr address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return address;
}

std::string PortBytes(int port) {
  return {static_cast<char>((port >> 8) & 0xFF), static_cast<char>(port & 0xFF)};
}

// The status code of an HTTP answer's head ("HTTP/1.x 200 ..."), or 0.
int StatusOf(const std::string& head) {
  if (head.rfind("HTTP/", 0) != 0) return 0;
  size_t blank = head.find(' ');
  if (blank == std::string::npos || head.size() < blank + 4) return 0;
  std::string code = head.substr(blank + 1, 3);
  return code.find_first_not_of("0123456789") == std::string::npos ? std::stoi(code) : 0;
}

bool Socks4Handshake(TunnelConnection& proxy, const HttpRequest& request) {
  std::string ask = std::string("\x04\x01", 2) + PortBytes(request.port);
  if (request.protocol == "socks4") {
    std::optional<in_addr> address = Ipv4Of(request.host);
    if (!address) return false;
    ask.append(reinterpret_cast<const char*>(&*address), 4).push_back('\0');
  } else {
    ask.append("\0\0\0\x01\0", 5).append(request.host).push_back('\0');
  }
  std::string answer;
  return proxy.Send(ask) && proxy.Receive(answer, 8) && answer[1] == '\x5A';
}

bool Socks5Handshake(TunnelConnection& proxy, const HttpRequest& request) {
  std::string answer;
  if (request.host.size() > 255 || !proxy.Send(std::string("\x05\x01\x00", 3)) ||
      !proxy.Receive(answer, 2) || answer[0] != '\x05' || answer[1] != '\x00') {
    return false;
  }
  std::string ask = std::string("\x05\x01\x00\x03", 4) + static_cast<char>(request.host.size()) +
                    request.host + PortBytes(request.port);
  answer.clear();
  if (!proxy.Send(ask) || !proxy.Receive(answer, 5) || answer[1] != '\x00') return false;
  // The reply ends with the proxy's bound address (IPv4, IPv6 or a name) and port.
  size_t bound = answer[3] == '\x01' ? 4 : answer[3] == '\x04' ? 16 : 1u + uint8_t(answer[4]);
  return proxy.Receive(answer, 4 + bound + 2);
}

bool ConnectHandshake(TunnelConnection& proxy, const HttpRequest& request) {
  std::string target = request.host + ":" + std::to_string(request.port);
  std::string head;
  return proxy.Send("CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n\r\n") &&
         proxy.ReceiveUntil(head, "\r\n\r\n", kMostHeadBytes) && StatusOf(head) == 200;
}

bool Handshake(TunnelConnection& proxy, const HttpRequest& request) {
  if (request.protocol == "socks5") return Socks5Handshake(proxy, request);
  if (request.protocol == "https") return ConnectHandshake(proxy, request);
  return Socks4Handshake(proxy, request);
}

// The probe's request as the page's server sees it: the same headers as through an HTTP proxy.
std::string GetRequest(const HttpRequest& request) {
  std::string host = request.host + (request.port == 80 ? "" : ":" + std::to_string(request.port));
  std::string get = "GET " + (request.path.empty() ? std::string("/") : request.path) +
                    " HTTP/1.0\r\nHost: " + host + "\r\n";
  for (std::string header : kProbeHeaders) {
    if (header.back() != ':') get += header + "\r\n";  // one without a value is left out
  }
  return get + "\r\n";
}

// The answer to the GET: interim heads (1xx) are passed over; on 200 the first block of the body.
HttpReply ReadAnswer(TunnelConnection& proxy) {
  HttpReply reply;
  std::string answer;
  size_t body = 0;
  int status = 0;
  do {
    answer.erase(0, body);
    if (!proxy.ReceiveUntil(answer, "\r\n\r\n", kMostHeadBytes)) return reply;
    size_t end = answer.find("\r\n\r\n");
    if (end == std::string::npos) return reply;
    body = end + 4;
    status = StatusOf(answer);
  } while (status >= 100 && status < 200);
  reply.status = status;
  if (status != 200) return reply;
  if (!proxy.ReceiveUntil(answer, std::string(), body + kFirstBlockBytes)) return HttpReply{};
  reply.body = answer.substr(body, kFirstBlockBytes);
  return reply;
}

}  // namespace

HttpReply GetThroughTunnel(const HttpRequest& request) {
  size_t colon = request.proxy.rfind(':');
  if (colon == std::string::npos) return {};
  std::optional<in_addr> proxy_address = Ipv4Of(request.proxy.substr(0, colon));
  if (!proxy_address) return {};
  TunnelConnection proxy(*proxy_address, std::atoi(request.proxy.c_str() + colon + 1),
                         request.timeout_ms);
  proxy.StartPhase();
  if (!Handshake(proxy, request) || !proxy.Send(GetRequest(request))) return {};
  proxy.StartPhase();
  return ReadAnswer(proxy);
}

}  // namespace quillet
