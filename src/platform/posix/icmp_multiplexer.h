#pragma once
// Many ICMP echoes in flight over a few sockets. Echoes are told apart by their sequence number
// (and, on a raw socket, by identifier and address); each waits until its own deadline. A reply
// is judged by the time the kernel received it, not by when the loop got round to reading it: a
// late loop neither loses a reply that came in time nor lengthens its round trip.
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/posix/epoll_loop.h"
#include "verify/check_io.h"

namespace quillet {

class IcmpMultiplexer : public EpollLoop::Watcher {
 public:
  enum class SocketKind { Any, Datagram, Raw };

  // `receive_buffer`: the bytes asked for each socket's receive buffer (the system may grant
  // less); the echoes in flight are kept to what the granted buffers hold.
  explicit IcmpMultiplexer(EpollLoop& loop, SocketKind kind = SocketKind::Any,
                           int receive_buffer = 8 << 20);
  ~IcmpMultiplexer() override;
  IcmpMultiplexer(const IcmpMultiplexer&) = delete;
  IcmpMultiplexer& operator=(const IcmpMultiplexer&) = delete;

  // False when no ICMP socket can be opened; `done` is then not kept. An echo for which the
  // receive buffers have no room is sent when an earlier one ends; its time-out starts then.
  bool Start(uint32_t address, const std::string& payload, int32_t timeout_ms,
             CheckIo::EchoDone& done);
  // Milliseconds until the next echo times out, -1 when none waits.
  int TimeoutMs(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now()) const;
  // Answers the echoes whose time is up.
  void ExpireDue(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
  // Answers every waiting echo as timed out.
  void AbortAll();

 private:
  using Clock = std::chrono::steady_clock;
  struct Echo {
    uint32_t address;
    int64_t sent_ns;  // the system clock, which the kernel stamps replies with
    Clock::time_point deadline;
    int64_t deadline_ns;
    CheckIo::EchoDone done;
    uint32_t status_at_deadline = ip_status::kRequestTimedOut;
    std::multimap<Clock::time_point, uint16_t>::iterator deadline_entry;
  };

  struct Held {
    uint32_t address;
    std::string payload;
    int32_t timeout_ms;
    CheckIo::EchoDone done;
  };

  bool Open();
  int OpenSocket(int type);
  bool HasRoom();
  void Send(uint32_t address, const std::string& payload, int32_t timeout_ms,
            CheckIo::EchoDone done);
  void SendHeld();
  uint16_t NextSequence();
  void OnReady(int fd, uint32_t events) override;
  void ReadReplies(int fd);
  void ReadErrors(int fd);
  void Answered(uint16_t sequence, uint32_t from, const std::string& data,
                std::optional<int64_t> arrived_ns);
  void Finish(uint16_t sequence, uint32_t status, uint32_t from, const std::string& data,
              int64_t arrived_ns = 0);

  EpollLoop& loop_;
  SocketKind kind_;
  int receive_buffer_;
  size_t room_ = 0;  // replies the receive buffers hold
  bool tried_ = false;
  bool raw_ = false;
  std::vector<int> sockets_;
  size_t next_socket_ = 0;
  uint16_t identifier_ = 0;
  uint16_t sequence_ = 0;
  std::unordered_map<uint16_t, Echo> waiting_;
  std::multimap<Clock::time_point, uint16_t> deadlines_;
  std::deque<Held> held_;
};

}  // namespace quillet
