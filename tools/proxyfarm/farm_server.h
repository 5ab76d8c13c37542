#pragma once
// One process, one thread, one epoll loop, standing in for every proxy of the plan.
#include <string>
#include <vector>

#include "farm_plan.h"

namespace proxyfarm {

struct ServerOptions {
  int slow_ms = 1500;      // delay before a slow proxy answers
  int lifetime_s = 900;    // the farm stops by itself after this long
  std::string ready_file;  // written once every listener is up
  // One listener on the wildcard address answers for every proxy, the address a connection
  // was made to telling which proxy it reached: a descriptor for the port, not for each proxy.
  // Only inside a private network namespace that has nothing but loopback.
  bool any_address = false;
};

// Whether this process's network namespace has no interface but loopback.
bool LoopbackOnly();

// For a farm on the wildcard address: the refused proxies are listed on the port after the
// farm's, where nothing listens, so that their connections are refused for real.
void MoveRefusedAside(std::vector<Proxy>& plan);

// Listens on every proxy of the plan except the refused ones and serves until the lifetime
// ends or SIGINT/SIGTERM arrives. Returns a process exit code.
int RunFarm(const std::vector<Proxy>& plan, const ServerOptions& options);

// The judge-style page that a proxy of this kind lets the judge see. `proxy_address` is the
// address the judge would see as its visitor; `client_address` the real client's.
std::string JudgePage(Kind kind, const std::string& request, const std::string& proxy_address,
                      const std::string& client_address);

// One step of a tunnelling proxy's handshake (SOCKS4/4a, SOCKS5, HTTP CONNECT) read from the
// front of `in`: how many bytes it used (0: more are needed), what to answer, and whether the
// tunnel stands afterwards. A stand-in proxy then answers the request that comes through the
// tunnel itself, like an elite proxy.
struct TunnelStep {
  size_t used = 0;
  std::string reply;
  bool done = false;
};
bool IsTunnel(Kind kind);
TunnelStep TunnelHandshake(Kind kind, int stage, const std::string& in);

// The complete HTTP answer of a proxy of this kind to `request`.
std::string Answer(Kind kind, const std::string& request, const std::string& proxy_address,
                   const std::string& client_address);

}  // namespace proxyfarm
