#pragma once
// The TCP ping on Linux: the time a non-blocking connection to the proxy's port takes, many at
// once on the check loop, each closed as soon as it is made (nothing is sent).
#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/posix/epoll_loop.h"
#include "verify/check_io.h"

namespace quillet {

class TcpConnectTimer : public EpollLoop::Watcher {
 public:
  explicit TcpConnectTimer(EpollLoop& loop) : loop_(loop) {}
  ~TcpConnectTimer() override;
  TcpConnectTimer(const TcpConnectTimer&) = delete;
  TcpConnectTimer& operator=(const TcpConnectTimer&) = delete;

  // False when no socket could be made (`done` is then not kept). A connection that ends at
  // once (refused on loopback) is answered at the next ExpireDue.
  bool Start(uint32_t address, uint16_t port, int32_t timeout_ms, CheckIo::EchoDone& done);
  // Milliseconds until the next connection times out or an answer waits; -1 when none.
  int TimeoutMs(std::chrono::steady_clock::time_point now) const;
  // Answers the connections whose time is up, and those that ended at once.
  void ExpireDue(std::chrono::steady_clock::time_point now);
  void AbortAll();

  void OnReady(int fd, uint32_t events) override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Attempt {
    uint32_t address = 0;
    Clock::time_point started;
    Clock::time_point deadline;
    CheckIo::EchoDone done;
    bool ended = false;  // ended at once; answered at the next ExpireDue
    uint32_t status = ip_status::kRequestTimedOut;
    std::multimap<Clock::time_point, int>::iterator deadline_entry;
  };

  void Answer(int fd, uint32_t status);

  EpollLoop& loop_;
  std::map<int, Attempt> attempts_;  // by descriptor
  // The waiting connections by deadline, and those that ended at once: a round of the loop
  // looks at the soonest only, however many thousands wait.
  std::multimap<Clock::time_point, int> deadlines_;
  std::vector<int> ended_;
};

// One TCP ping that waits on its own (for the blocking port).
bool ConnectTime(uint32_t address, uint16_t port, int32_t timeout_ms, EchoReply& reply);

}  // namespace quillet
