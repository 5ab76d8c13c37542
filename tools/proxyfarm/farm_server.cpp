#include "farm_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

namespace proxyfarm {
namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kMaxRequest = 16 * 1024;
// Every proxy's connections queue on the one wildcard listener (the system caps it at
// net.core.somaxconn).
constexpr int kWildcardBacklog = 65535;

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) {
  g_stop = 1;
}

struct Listener {
  const Proxy* proxy;  // nullptr: the wildcard listener, which finds it by the local address
};

struct Connection {
  const Proxy* proxy;
  std::string client;
  std::string request;
  std::string pending;   // answer bytes not yet written
  int tunnel_stage = 0;  // handshake steps done by a tunnelling kind
  bool tunnelled = false;
  bool answered = false;
  Clock::time_point answer_at{};
};

bool RaiseFileLimit(size_t needed) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur >= needed) return true;
  if (limit.rlim_max < needed) limit.rlim_max = needed;  // works as root
  limit.rlim_cur = limit.rlim_max;
  if (setrlimit(RLIMIT_NOFILE, &limit) != 0) {
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  getrlimit(RLIMIT_NOFILE, &limit);
  return limit.rlim_cur >= needed;
}

// `address` empty: the wildcard address.
int Listen(const std::string& address, uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  if (!address.empty()) inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      listen(fd, address.empty() ? kWildcardBacklog : 1024) != 0) {
    std::fprintf(stderr, "proxyfarm: cannot listen on %s:%u: %s\n",
                 address.empty() ? "*" : address.c_str(), port, std::strerror(errno));
    close(fd);
    return -1;
  }
  return fd;
}

class Farm {
 public:
  explicit Farm(const ServerOptions& options) : options_(options) {}
  ~Farm() {
    for (auto& [fd, listener] : listeners_) close(fd);
    for (auto& [fd, connection] : connections_) close(fd);
    if (epoll_ >= 0) close(epoll_);
  }

  bool Start(const std::vector<Proxy>& plan) {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    if (options_.any_address) return StartOnAnyAddress(plan);
    for (const Proxy& proxy : plan) {
      if (proxy.kind == Kind::Refused) continue;
      int fd = Listen(proxy.address, proxy.port);
      if (fd < 0) return false;
      listeners_[fd] = {&proxy};
      Watch(fd, EPOLLIN);
    }
    return true;
  }

  void Serve() {
    Clock::time_point end = Clock::now() + std::chrono::seconds(options_.lifetime_s);
    epoll_event events[256];
    while (!g_stop && Clock::now() < end) {
      int ready = epoll_wait(epoll_, events, 256, 50);
      for (int i = 0; i < ready; ++i) Handle(events[i].data.fd, events[i].events);
      AnswerDueSlowOnes();
    }
  }

 private:
  bool StartOnAnyAddress(const std::vector<Proxy>& plan) {
    std::set<uint16_t> ports;
    for (const Proxy& proxy : plan) {
      if (proxy.kind == Kind::Refused) continue;
      in_addr address{};
      inet_pton(AF_INET, proxy.address.c_str(), &address);
      by_address_[address.s_addr] = &proxy;
      ports.insert(proxy.port);
    }
    for (uint16_t port : ports) {
      int fd = Listen("", port);
      if (fd < 0) return false;
      listeners_[fd] = {nullptr};
      Watch(fd, EPOLLIN);
    }
    return true;
  }

  // The proxy a connection of the wildcard listener reached; nullptr for an address of none.
  const Proxy* ProxyAt(int fd) const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return nullptr;
    auto found = by_address_.find(local.sin_addr.s_addr);
    return found == by_address_.end() ? nullptr : found->second;
  }

  void Watch(int fd, uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
  }

  void Handle(int fd, uint32_t events) {
    if (auto listener = listeners_.find(fd); listener != listeners_.end()) {
      AcceptAll(fd, listener->second.proxy);
      return;
    }
    auto found = connections_.find(fd);
    if (found == connections_.end()) return;
    Connection& connection = found->second;
    if (events & EPOLLIN) ReadRequest(fd, connection);
    if (connections_.count(fd) && (events & EPOLLOUT)) Flush(fd, connection);
    if (connections_.count(fd) && (events & (EPOLLERR | EPOLLHUP)) && !(events & EPOLLIN)) Drop(fd);
  }

  void AcceptAll(int listen_fd, const Proxy* proxy) {
    for (;;) {
      sockaddr_in peer{};
      socklen_t length = sizeof peer;
      int fd = accept4(listen_fd, reinterpret_cast<sockaddr*>(&peer), &length,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) return;
      const Proxy* reached = proxy ? proxy : ProxyAt(fd);
      if (!reached) {
        close(fd);
        continue;
      }
      char client[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, &peer.sin_addr, client, sizeof client);
      connections_[fd] = Connection{reached, client, {}, {}, 0, false, false, {}};
      Watch(fd, EPOLLIN | EPOLLRDHUP);
    }
  }

  void ReadRequest(int fd, Connection& connection) {
    char buffer[4096];
    for (;;) {
      ssize_t n = read(fd, buffer, sizeof buffer);
      if (n == 0) return Drop(fd);  // the client gave up (or finished)
      if (n < 0) break;
      if (connection.answered || connection.proxy->kind == Kind::BlackHole) continue;
      connection.request.append(buffer, static_cast<size_t>(n));
    }
    if (connection.answered || connection.proxy->kind == Kind::BlackHole) return;
    if (!Tunnel(fd, connection)) return;
    bool complete = connection.request.find("\r\n\r\n") != std::string::npos ||
                    connection.request.size() >= kMaxRequest;
    if (!complete) return;
    connection.answered = true;
    connection.pending = Answer(connection.proxy->kind, connection.request,
                                connection.proxy->address, connection.client);
    if (connection.proxy->kind == Kind::Slow) {
      connection.answer_at = Clock::now() + std::chrono::milliseconds(options_.slow_ms);
      slow_.insert({connection.answer_at, fd});
      return;
    }
    Flush(fd, connection);
  }

  // Runs a tunnelling kind's handshake as far as the bytes read allow; true once the request
  // through the tunnel (or, for other kinds, the request itself) is what is left to read.
  bool Tunnel(int fd, Connection& connection) {
    Kind kind = connection.proxy->kind;
    while (IsTunnel(kind) && !connection.tunnelled) {
      TunnelStep step = TunnelHandshake(kind, connection.tunnel_stage++, connection.request);
      if (step.used == 0) {
        --connection.tunnel_stage;
        return false;
      }
      send(fd, step.reply.data(), step.reply.size(), MSG_NOSIGNAL);
      connection.request.erase(0, step.used);
      connection.tunnelled = step.done;
    }
    return true;
  }

  void AnswerDueSlowOnes() {
    Clock::time_point now = Clock::now();
    while (!slow_.empty() && slow_.begin()->first <= now) {
      int fd = slow_.begin()->second;
      slow_.erase(slow_.begin());
      if (auto found = connections_.find(fd); found != connections_.end()) Flush(fd, found->second);
    }
  }

  void Flush(int fd, Connection& connection) {
    if (connection.pending.empty()) return;
    if (connection.proxy->kind == Kind::Slow && Clock::now() < connection.answer_at) return;
    ssize_t n = send(fd, connection.pending.data(), connection.pending.size(), MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN) return Drop(fd);
    if (n > 0) connection.pending.erase(0, static_cast<size_t>(n));
    if (connection.pending.empty()) return Drop(fd);
    epoll_event event{};
    event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP;
    event.data.fd = fd;
    epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &event);
  }

  void Drop(int fd) {
    epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    connections_.erase(fd);
  }

  ServerOptions options_;
  int epoll_ = -1;
  std::map<int, Listener> listeners_;
  std::map<int, Connection> connections_;
  std::unordered_map<uint32_t, const Proxy*> by_address_;  // network byte order
  std::multimap<Clock::time_point, int> slow_;
};

}  // namespace

bool LoopbackOnly() {
  struct if_nameindex* interfaces = if_nameindex();
  if (!interfaces) return false;
  bool only = true;
  for (struct if_nameindex* entry = interfaces; entry->if_index != 0; ++entry) {
    only = only && std::strcmp(entry->if_name, "lo") == 0;
  }
  if_freenameindex(interfaces);
  return only;
}

void MoveRefusedAside(std::vector<Proxy>& plan) {
  for (Proxy& proxy : plan) {
    if (proxy.kind == Kind::Refused) proxy.port = static_cast<uint16_t>(proxy.port + 1);
  }
}

int RunFarm(const std::vector<Proxy>& plan, const ServerOptions& options) {
  // Beside the listeners, the connections in flight: many more when one listener serves all.
  size_t needed = options.any_address ? 16384 : plan.size() + 4096;
  if (!RaiseFileLimit(needed)) {
    std::fprintf(stderr,
                 "proxyfarm: the open-files limit is too low for %zu proxies; raise it with "
                 "'ulimit -n %zu' (or run as root)\n",
                 plan.size(), needed);
    return 3;
  }
  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);
  signal(SIGPIPE, SIG_IGN);
  auto farm = std::make_unique<Farm>(options);
  if (!farm->Start(plan)) return 4;
  if (!options.ready_file.empty()) std::ofstream(options.ready_file) << "ready\n";
  farm->Serve();
  return 0;
}

}  // namespace proxyfarm
