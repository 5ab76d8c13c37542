#pragma once
// The ICMP port on Linux sockets. It first tries an unprivileged ICMP datagram socket (allowed
// for the groups in net.ipv4.ping_group_range), then a raw socket (root or CAP_NET_RAW).
#include "verify/pinger.h"

namespace quillet {

class IcmpPinger : public Pinger {
 public:
  enum class SocketKind { Any, Datagram, Raw };

  explicit IcmpPinger(SocketKind kind = SocketKind::Any) : kind_(kind) {}

  bool Echo(uint32_t address, const std::string& payload, int32_t timeout_ms,
            EchoReply& reply) override;
  bool Connect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoReply& reply) override;

  // Whether this process may open an ICMP socket of that kind.
  static bool Permitted(SocketKind kind);

 private:
  SocketKind kind_;
};

}  // namespace quillet
