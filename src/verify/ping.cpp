#include "net/socket_layer.h"
#include "verify/pinger.h"

namespace quillet {

int32_t PingHost(Pinger& pinger, const std::string& address, const std::string& payload,
                 EchoReply& reply, int32_t timeout_ms) {
  std::optional<uint32_t> value = ParseAddress(address);
  if (!value) return kPingBadAddress;
  return EchoStatus(pinger.Echo(*value, payload, timeout_ms, reply), reply);
}

}  // namespace quillet
