// Any bytes from a proxy, answered to the Windows tunnel's handshake and GET (its own code, built
// here on POSIX sockets through winsock_shim): the exchange ends without a fault, an interim
// answer (1xx) never becomes the status, and a body comes only with status 200, at most a block.
#include <winsock2.h>  // the shim: POSIX sockets

#include <csignal>
#include <thread>

#include "platform/win32/tunnel_exchange.h"

// The proxy: sends all its bytes, then reads what the tunnel says until it hangs up.
static void Answer(int listener, const std::string& bytes) {
  int fd = accept(listener, nullptr, nullptr);
  for (size_t sent = 0; fd >= 0 && sent < bytes.size();) {
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  shutdown(fd, SHUT_WR);
  char sink[4096];
  while (recv(fd, sink, sizeof sink, 0) > 0) continue;
  close(fd);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kProtocols[] = {"socks4", "socks4a", "socks5", "https"};
  static sockaddr_in where{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  static const int listener = [] {
    std::signal(SIGPIPE, SIG_IGN);
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    socklen_t length = sizeof where;
    if (bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0)
      __builtin_trap();
    return fd;
  }();
  if (size == 0) return 0;
  std::string proxy = "127.0.0.1:" + std::to_string(ntohs(where.sin_port));
  quillet::HttpRequest request{proxy, "127.0.0.9", 8080, "/", 200, kProtocols[data[0] % 4]};
  std::thread answer(Answer, listener,
                     std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  quillet::HttpReply reply = quillet::GetThroughTunnel(request);
  answer.join();
  if ((reply.status >= 100 && reply.status < 200) || (!reply.body.empty() && reply.status != 200) ||
      reply.body.size() > quillet::kFirstBlockBytes)
    __builtin_trap();
  return 0;
}
