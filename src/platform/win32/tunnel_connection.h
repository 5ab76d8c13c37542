#pragma once
// One TCP connection of the Windows tunnel, over Windows Sockets. Its waits are bounded per
// phase: connect, then each phase the caller starts (the handshake with the request, then the
// answer) ends at most the time-out after it began, however the bytes trickle in.
#include <winsock2.h>

#include <chrono>
#include <string>

namespace quillet {

class TunnelConnection {
 public:
  // Connects to address:port within the time-out (the connect phase).
  TunnelConnection(const in_addr& address, int port, int timeout_ms);
  ~TunnelConnection();
  TunnelConnection(const TunnelConnection&) = delete;
  TunnelConnection& operator=(const TunnelConnection&) = delete;

  // Starts the next phase: its sends and receives end at most the time-out from now.
  void StartPhase();
  bool Send(const std::string& data);
  // Appends what arrives until `into` holds at least `size` bytes; false on the phase's end, an
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
  std::chrono::milliseconds timeout_;
  std::chrono::steady_clock::time_point phase_ends_;
};

}  // namespace quillet
