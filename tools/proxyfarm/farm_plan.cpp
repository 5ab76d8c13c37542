#include "farm_plan.h"

#include <arpa/inet.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

namespace proxyfarm {
namespace {

struct KindInfo {
  Kind kind;
  const char* name;
  const char* status;
  const char* secure;
  const char* level;
};

// A transparent proxy passes on the client's address, so the check finds it: not anonymous.
// An anonymous one hides the address but says "Via"; an elite one says nothing.
constexpr KindInfo kKinds[] = {
    {Kind::Elite, "elite", "OK", "Y", "elite"},
    {Kind::Anonymous, "anonymous", "OK", "Y", "anonymous"},
    {Kind::Transparent, "transparent", "OK", "N", "transparent"},
    {Kind::Deny, "deny", "403", "", ""},
    {Kind::Refused, "refused", "--", "", ""},
    {Kind::BlackHole, "blackhole", "--", "", ""},
    {Kind::Slow, "slow", "OK", "Y", "elite"},
    {Kind::Garbage, "garbage", "--", "", ""},
    {Kind::Socks4, "socks4", "OK", "Y", "elite"},
    {Kind::Socks5, "socks5", "OK", "Y", "elite"},
    {Kind::Connect, "connect", "OK", "Y", "elite"},
};

// "address:port", with the protocol in front for a proxy that is not HTTP, as quillet-check
// names it.
std::string Named(const Proxy& proxy) {
  std::string protocol = KindProtocol(proxy.kind);
  std::string listed = proxy.address + ':' + std::to_string(proxy.port);
  return protocol.empty() ? listed : protocol + "://" + listed;
}

const KindInfo& Info(Kind kind) {
  for (const KindInfo& info : kKinds)
    if (info.kind == kind) return info;
  return kKinds[0];
}

}  // namespace

const char* KindName(Kind kind) {
  return Info(kind).name;
}
std::string ExpectedStatus(Kind kind) {
  return Info(kind).status;
}
std::string ExpectedSecure(Kind kind) {
  return Info(kind).secure;
}
std::string ExpectedLevel(Kind kind) {
  return Info(kind).level;
}

std::string KindProtocol(Kind kind) {
  if (kind == Kind::Socks4) return "socks4a";
  if (kind == Kind::Socks5) return "socks5";
  if (kind == Kind::Connect) return "https";
  return "";
}

bool KindFromName(const std::string& name, Kind& kind) {
  for (const KindInfo& info : kKinds) {
    if (name == info.name) {
      kind = info.kind;
      return true;
    }
  }
  return false;
}

bool ParseMix(const std::string& text, std::vector<MixEntry>& mix, std::string& error) {
  mix.clear();
  std::stringstream parts(text);
  std::string part;
  int total = 0;
  while (std::getline(parts, part, ',')) {
    size_t eq = part.find('=');
    Kind kind;
    if (eq == std::string::npos || !KindFromName(part.substr(0, eq), kind)) {
      error = "unknown mix entry '" + part + "'";
      return false;
    }
    int percent = std::atoi(part.c_str() + eq + 1);
    if (percent < 0 || percent > 100) {
      error = "bad percentage in '" + part + "'";
      return false;
    }
    total += percent;
    mix.push_back({kind, percent});
  }
  if (total > 100) {
    error = "the mix adds up to more than 100";
    return false;
  }
  return true;
}

std::vector<Proxy> MakePlan(const std::string& first_address, int count, uint16_t port,
                            const std::vector<MixEntry>& mix, unsigned seed) {
  std::vector<Kind> kinds;
  for (const MixEntry& entry : mix) {
    int n = static_cast<int>(static_cast<long long>(count) * entry.percent / 100);
    kinds.insert(kinds.end(), n, entry.kind);
  }
  kinds.resize(count, Kind::Elite);
  std::shuffle(kinds.begin(), kinds.end(), std::mt19937(seed));

  in_addr base{};
  inet_pton(AF_INET, first_address.c_str(), &base);
  uint32_t next = ntohl(base.s_addr);
  std::vector<Proxy> plan;
  plan.reserve(count);
  for (int i = 0; i < count; ++i, ++next) {
    // Skip addresses ending in .0 or .255 so every address looks ordinary.
    while ((next & 0xFF) == 0 || (next & 0xFF) == 255) ++next;
    in_addr address{htonl(next)};
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &address, text, sizeof text);
    plan.push_back({text, port, kinds[i]});
  }
  return plan;
}

bool WriteListFile(const std::vector<Proxy>& plan, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "' Proxy farm list: " << plan.size() << " proxies on loopback addresses\r\n";
  for (const Proxy& proxy : plan) {
    out << proxy.address << ':' << proxy.port;
    if (!KindProtocol(proxy.kind).empty()) out << "|||||||||" << KindProtocol(proxy.kind);
    out << "\r\n";
  }
  return static_cast<bool>(out.flush());
}

bool WriteTruthFile(const std::vector<Proxy>& plan, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "proxy,kind,status,secure,level\n";
  for (const Proxy& proxy : plan) {
    out << Named(proxy) << ',' << KindName(proxy.kind) << ',' << ExpectedStatus(proxy.kind) << ','
        << ExpectedSecure(proxy.kind) << ',' << ExpectedLevel(proxy.kind) << '\n';
  }
  return static_cast<bool>(out.flush());
}

}  // namespace proxyfarm
