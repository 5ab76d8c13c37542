#pragma once
// Which loopback address plays which kind of proxy, and what a correct checker must find there.
#include <cstdint>
#include <string>
#include <vector>

namespace proxyfarm {

enum class Kind {
  Elite,
  Anonymous,
  Transparent,
  Deny,
  Refused,
  BlackHole,
  Slow,
  Garbage,
  Socks4,   // SOCKS4 and 4a, listed as socks4a
  Socks5,   // listed as socks5
  Connect,  // an HTTP proxy that only tunnels with CONNECT, listed as https
};

struct Proxy {
  std::string address;  // dotted IPv4 on 127.0.0.0/8
  uint16_t port = 0;
  Kind kind = Kind::Elite;
};

struct MixEntry {
  Kind kind;
  int percent;
};

const char* KindName(Kind kind);
// The protocol a list row names for the kind ("socks5", ...), empty for an HTTP proxy.
std::string KindProtocol(Kind kind);
bool KindFromName(const std::string& name, Kind& kind);

// Parses "elite=40,anonymous=15,..." (percentages need not add up to 100; the rest is elite).
bool ParseMix(const std::string& text, std::vector<MixEntry>& mix, std::string& error);

// `count` proxies on consecutive addresses from `first_address`, kinds spread evenly by the mix
// and shuffled with `seed`.
std::vector<Proxy> MakePlan(const std::string& first_address, int count, uint16_t port,
                            const std::vector<MixEntry>& mix, unsigned seed);

// Status and Secure cells and the anonymity level that a correct check gives for the kind.
std::string ExpectedStatus(Kind kind);
std::string ExpectedSecure(Kind kind);
std::string ExpectedLevel(Kind kind);

// The list file (short form, one proxy per line) and the ground truth (CSV:
// proxy,kind,status,secure,level).
bool WriteListFile(const std::vector<Proxy>& plan, const std::string& path);
bool WriteTruthFile(const std::vector<Proxy>& plan, const std::string& path);

}  // namespace proxyfarm
