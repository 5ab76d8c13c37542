#pragma once
#include "verify/pinger.h"

namespace quillet {

// One echo through the ICMP library: IcmpCreateFile, IcmpSendEcho with a 278-byte reply
// record, IcmpCloseHandle.
class IcmpLibraryPinger : public Pinger {
 public:
  bool Echo(uint32_t address, const std::string& payload, int32_t timeout_ms,
            EchoReply& reply) override;
  // A non-blocking connect, waited for with select.
  bool Connect(uint32_t address, uint16_t port, int32_t timeout_ms, EchoReply& reply) override;
};

}  // namespace quillet
