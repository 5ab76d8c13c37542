#include "platform/posix/event_loop_check_io.h"

#include <algorithm>

namespace quillet {
namespace {

// The smaller of two waits, where -1 means "no bound".
int SoonerOf(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

}  // namespace

EventLoopCheckIo::EventLoopCheckIo(Resolver& resolver, IcmpMultiplexer::SocketKind icmp)
    : fetcher_(loop_), icmp_(loop_, icmp), connects_(loop_), lookups_(loop_, resolver) {}

void EventLoopCheckIo::StartGet(const HttpRequest& request, GetDone done) {
  if (!fetcher_.Start(request, done)) {
    deferred_.push_back([done = std::move(done)] { done(HttpReply{}); });
  }
}

void EventLoopCheckIo::StartEcho(uint32_t address, const std::string& payload, int32_t timeout_ms,
                                 EchoDone done) {
  if (!icmp_.Start(address, payload, timeout_ms, done)) {
    deferred_.push_back([done = std::move(done)] { done(false, EchoReply{}); });
  }
}

void EventLoopCheckIo::StartConnect(uint32_t address, uint16_t port, int32_t timeout_ms,
                                    EchoDone done) {
  if (!connects_.Start(address, port, timeout_ms, done)) {
    deferred_.push_back([done = std::move(done)] { done(false, EchoReply{}); });
  }
}

void EventLoopCheckIo::StartLookup(const std::string& name, LookupDone done) {
  lookups_.Start(name, done);
}

void EventLoopCheckIo::RunOnce(int max_wait_ms) {
  // The clock is read once before the wait and once after it: thousands of rounds a second
  // would otherwise spend a share of their time reading it.
  auto now = std::chrono::steady_clock::now();
  int wait = deferred_.empty() ? max_wait_ms : 0;
  wait = SoonerOf(wait, fetcher_.TimeoutMs(now));
  wait = SoonerOf(wait, icmp_.TimeoutMs(now));
  wait = SoonerOf(wait, connects_.TimeoutMs(now));
  loop_.Wait(wait);
  now = std::chrono::steady_clock::now();
  fetcher_.Progress(now);
  icmp_.ExpireDue(now);
  connects_.ExpireDue(now);
  RunDeferred();
}

void EventLoopCheckIo::RunDeferred() {
  auto deferred = std::move(deferred_);
  deferred_.clear();
  for (auto& call : deferred) call();
}

void EventLoopCheckIo::AbortAll() {
  fetcher_.AbortAll();
  icmp_.AbortAll();
  connects_.AbortAll();
  lookups_.AbortAll();
  RunDeferred();
}

}  // namespace quillet
