#pragma once
// The check I/O on Linux: one epoll loop carrying libcurl's multi interface, the ICMP echoes and
// the answers of the look-up threads.
#include <functional>
#include <vector>

#include "net/resolver.h"
#include "platform/posix/curl_multi_fetcher.h"
#include "platform/posix/epoll_loop.h"
#include "platform/posix/icmp_multiplexer.h"
#include "platform/posix/lookup_pool.h"
#include "platform/posix/tcp_connect_timer.h"
#include "verify/check_io.h"

namespace quillet {

class EventLoopCheckIo : public CheckIo {
 public:
  explicit EventLoopCheckIo(Resolver& resolver,
                            IcmpMultiplexer::SocketKind icmp = IcmpMultiplexer::SocketKind::Any);

  void StartGet(const HttpRequest& request, GetDone done) override;
  void StartEcho(uint32_t address, const std::string& payload, int32_t timeout_ms,
                 EchoDone done) override;
  void StartConnect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoDone done) override;
  void StartLookup(const std::string& name, LookupDone done) override;
  void RunOnce(int max_wait_ms) override;
  void AbortAll() override;

 private:
  void RunDeferred();

  EpollLoop loop_;
  CurlMultiFetcher fetcher_;
  IcmpMultiplexer icmp_;
  TcpConnectTimer connects_;
  LookupPool lookups_;
  // Operations that ended at once; answered on the next round, never inside a Start call.
  std::vector<std::function<void()>> deferred_;
};

}  // namespace quillet
