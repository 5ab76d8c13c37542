#pragma once
// The asynchronous side of proxy checks: HTTP fetches, ICMP echoes and name look-ups that start
// now and end later on one event loop, so that many checks share one thread.
#include <cstdint>
#include <functional>
#include <string>

#include "verify/http_client.h"
#include "verify/pinger.h"

namespace quillet {

class CheckIo {
 public:
  using GetDone = std::function<void(HttpReply)>;
  // `opened` is false when no ICMP channel could be opened (the reply is then untouched).
  using EchoDone = std::function<void(bool opened, const EchoReply& reply)>;
  using LookupDone = std::function<void(std::string address)>;

  virtual ~CheckIo() = default;
  // The same request as HttpClient::Get, answered through `done`.
  virtual void StartGet(const HttpRequest& request, GetDone done) = 0;
  // The same echo as Pinger::Echo, answered through `done`.
  virtual void StartEcho(uint32_t address, const std::string& payload, int32_t timeout_ms,
                         EchoDone done) = 0;
  // Times a TCP connection to `address` (network byte order) and `port`, closed at once: the
  // reply's status is kSuccess with the round trip when it connected, kDestPortUnreachable when
  // refused, kRequestTimedOut after `timeout_ms`; `opened` is false when no socket could be made.
  virtual void StartConnect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoDone done) = 0;
  // The first IPv4 address of a host name as dotted text, empty when it does not resolve.
  virtual void StartLookup(const std::string& name, LookupDone done) = 0;
  // Waits at most `max_wait_ms` for something to happen and calls the `done` of every operation
  // that has ended. Callbacks run only here (or in AbortAll), never inside a Start call.
  virtual void RunOnce(int max_wait_ms) = 0;
  // Ends every operation still going at once, as if it had failed: no HTTP answer, an echo that
  // timed out, a name that did not resolve. Their `done` run before this returns.
  virtual void AbortAll() = 0;
};

}  // namespace quillet
