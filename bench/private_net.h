#pragma once
// A private network namespace for the benchmark: only loopback in it, so that the proxy farm
// may listen on the wildcard address and the checker may send as many echoes as it likes,
// without touching the machine's own network or settings.
#include <string>

namespace bench {

// Outside such a namespace: runs this program again inside a new one (through unshare) and
// never returns, unless that cannot start (false, with `error`). Inside it: brings loopback up,
// lets ICMP datagram sockets be made and lengthens the queues of pending connections; true.
bool EnterPrivateNetwork(char** argv, std::string& error);

}  // namespace bench
