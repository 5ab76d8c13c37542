#include "platform/win32/winsock_tunnel.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <optional>

namespace quillet {
namespace {

constexpr WORD kVersion22 = 0x0202;
constexpr size_t kMostHeadBytes = 65536;

// One TCP connection whose every wait is bounded by the time-out.
class Connection {
 public:
  Connection(const in_addr& address, int port, int timeout_ms);
  ~Connection() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Send(const std::string& data);
  // Appends what arrives until `into` holds at least `size` bytes; false on a time-out, an
  // error, or the end of the stream before that.
  bool Receive(std::string& into, size_t size);
  // Appends until `mark` (if any) is in `into` or it holds `most` bytes, or the stream ends
  // (then true, with what came).
  bool ReceiveUntil(std::string& into, const std::string& mark, size_t most);

 private:
  enum class Got { Data, End, Failed };
  Got ReceiveSome(std::string& into);
  bool Wait(bool writing);

  SOCKET socket_ = INVALID_SOCKET;
  int timeout_ms_;
};

Connection::Connection(const in_addr& address, int port, int timeout_ms) : timeout_ms_(timeout_ms) {
  SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd == INVALID_SOCKET) return;
  socket_ = fd;
  u_long non_blocking = 1;
  sockaddr_in where = {};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<u_short>(port));
  where.sin_addr = address;
  bool started = ioctlsocket(fd, FIONBIO, &non_blocking) == 0 &&
                 (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 ||
                  WSAGetLastError() == WSAEWOULDBLOCK);
  int error = 0;
  int length = sizeof error;
  if (!started || !Wait(true) ||
      getsockopt(fd, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
      error != 0) {
    closesocket(fd);
    socket_ = INVALID_SOCKET;
  }
}

bool Connection::Wait(bool writing) {
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket_, &ready);
  FD_SET(socket_, &failed);
  timeval limit = {timeout_ms_ / 1000, (timeout_ms_ % 1000) * 1000};
  int count = select(0, writing ? nullptr : &ready, writing ? &ready : nullptr, &failed, &limit);
  return count > 0 && FD_ISSET(socket_, &ready);
}

bool Connection::Send(const std::string& data) {
  for (size_t sent = 0; sent < data.size();) {
    if (socket_ == INVALID_SOCKET || !Wait(true)) return false;
    int n = send(socket_, data.data() + sent, static_cast<int>(data.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

Connection::Got Connection::ReceiveSome(std::string& into) {
  char buffer[4096];
  if (socket_ == INVALID_SOCKET || !Wait(false)) return Got::Failed;
  int n = recv(socket_, buffer, sizeof buffer, 0);
  if (n < 0) return Got::Failed;
  into.append(buffer, static_cast<size_t>(n));
  return n == 0 ? Got::End : Got::Data;
}

bool Connection::Receive(std::string& into, size_t size) {
  while (into.size() < size) {
    if (ReceiveSome(into) != Got::Data) return false;
  }
  return true;
}

bool Connection::ReceiveUntil(std::string& into, const std::string& mark, size_t most) {
  while ((mark.empty() || into.find(mark) == std::string::npos) && into.size() < most) {
    Got got = ReceiveSome(into);
    if (got != Got::Data) return got == Got::End;
  }
  return true;
}

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

bool Socks4Handshake(Connection& proxy, const HttpRequest& request) {
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

bool Socks5Handshake(Connection& proxy, const HttpRequest& request) {
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

bool ConnectHandshake(Connection& proxy, const HttpRequest& request) {
  std::string target = request.host + ":" + std::to_string(request.port);
  std::string head;
  return proxy.Send("CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n\r\n") &&
         proxy.ReceiveUntil(head, "\r\n\r\n", kMostHeadBytes) && StatusOf(head) == 200;
}

bool Handshake(Connection& proxy, const HttpRequest& request) {
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

HttpReply GetThroughTunnel(const HttpRequest& request) {
  HttpReply reply;
  size_t colon = request.proxy.rfind(':');
  if (colon == std::string::npos) return reply;
  std::optional<in_addr> proxy_address = Ipv4Of(request.proxy.substr(0, colon));
  if (!proxy_address) return reply;
  Connection proxy(*proxy_address, std::atoi(request.proxy.c_str() + colon + 1),
                   request.timeout_ms);
  std::string answer;
  if (!Handshake(proxy, request) || !proxy.Send(GetRequest(request)) ||
      !proxy.ReceiveUntil(answer, "\r\n\r\n", kMostHeadBytes)) {
    return reply;
  }
  size_t body = answer.find("\r\n\r\n");
  if (body == std::string::npos) return reply;
  reply.status = StatusOf(answer);
  if (reply.status != 200) return reply;
  body += 4;
  if (!proxy.ReceiveUntil(answer, std::string(), body + kFirstBlockBytes)) return HttpReply{};
  reply.body = answer.substr(body, kFirstBlockBytes);
  return reply;
}

}  // namespace

HttpReply TunnelGet(const HttpRequest& request) {
  WSADATA data;
  if (WSAStartup(kVersion22, &data) != 0) return {};
  HttpReply reply = GetThroughTunnel(request);
  WSACleanup();
  return reply;
}

}  // namespace quillet
