#include "private_net.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace bench {
namespace {

constexpr const char* kInside = "QUILLET_BENCH_PRIVATE_NET";

bool WriteSetting(const char* path, const std::string& value) {
  std::ofstream out(path);
  out << value << "\n";
  out.close();
  return !out.fail();
}

}  // namespace

bool EnterPrivateNetwork(char** argv, std::string& error) {
  bool root = geteuid() == 0;
  if (!std::getenv(kInside)) {
    setenv(kInside, "1", 1);
    // As root, a network namespace alone; otherwise with a user namespace that maps us to root.
    std::vector<char*> command = {const_cast<char*>("unshare"),
                                  const_cast<char*>(root ? "-n" : "-rn"), const_cast<char*>("--")};
    for (char** arg = argv; *arg; ++arg) command.push_back(*arg);
    command.push_back(nullptr);
    execvp("unshare", command.data());
    error = std::string("cannot run unshare: ") + std::strerror(errno);
    return false;
  }
  if (std::system("ip link set lo up") != 0) {
    error = "cannot bring loopback up in the private network namespace (is iproute2 installed?)";
    return false;
  }
  // Inside a user namespace only the groups it maps may be named.
  WriteSetting("/proc/sys/net/ipv4/ping_group_range", root ? "0 2147483647" : "0 0");
  WriteSetting("/proc/sys/net/core/somaxconn", "65535");
  WriteSetting("/proc/sys/net/ipv4/tcp_max_syn_backlog", "65535");
  return true;
}

}  // namespace bench
