#pragma once
// What the watch over the applied proxy decides from the list alone: which proxy it guards, how
// good that proxy's anonymity was, and which other row takes its place when it stops working.
// Plain functions of the list and the proxy fields: no network, no window.
#include <optional>
#include <string>
#include <vector>

#include "app/proxy_fields.h"
#include "proxylist/proxy_list.h"

namespace quillet {

// HTTP-type rows (plain HTTP and CONNECT proxies) serve the HTTP fields, SOCKS rows the SOCKS
// field.
enum class ProxyKind { Http, Socks };

struct WatchTarget {
  ProxyKind kind = ProxyKind::Http;
  std::string address;  // host:port as the field holds it
  int min_rank = 0;     // a replacement's anonymity is at least this (AnonymityRank)
};

// The proxy the applied fields use: the HTTP field when it is filled, else the SOCKS field.
// Nothing when the proxy is off or both are empty.
std::optional<WatchTarget> WatchTargetOf(const ProxyFields& fields);

ProxyKind KindOf(const ProxyRow& row);

// The first row of that kind whose Server IP or Server Name is `address`; -1 when none.
int RowOfAddress(const ProxyList& list, ProxyKind kind, const std::string& address);

// The address a row offers: its Server IP, else its Server Name.
std::string RowAddress(const ProxyList& list, int row);

// How anonymous a check found a proxy: the level when one is known, else what Secure tells
// ("Y" anonymous, "N" transparent); 0 when nothing is known.
int CheckedRank(const std::string& level, const std::string& secure);
int RowRank(const ProxyList& list, int row);

// The best row to take the target's place: last verified "OK", same kind, another address,
// anonymity at least the target's, lowest ping (the first such row on a tie); -1 when none.
int BestReplacement(const ProxyList& list, const WatchTarget& target);

// The cells a check of the row takes (column 0 first, then the nine columns and the protocol);
// for a proxy that is not in the list (row -1), cells made of its address alone.
std::vector<std::string> CheckCells(const ProxyList& list, int row, const WatchTarget& target);

// The fields with every field that held the target's address holding `address` instead.
ProxyFields WithReplacement(ProxyFields fields, const WatchTarget& target,
                            const std::string& address);

}  // namespace quillet
