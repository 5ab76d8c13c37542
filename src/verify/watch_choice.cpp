#include "verify/watch_choice.h"

#include <limits>

#include "core/text.h"

namespace quillet {

std::optional<WatchTarget> WatchTargetOf(const ProxyFields& fields) {
  if (fields.proxy == CheckState::Unchecked) return std::nullopt;
  std::string http = Trim(fields.servers[0]);
  if (!http.empty()) return WatchTarget{ProxyKind::Http, http, 0};
  std::string socks = Trim(fields.socks);
  if (!socks.empty()) return WatchTarget{ProxyKind::Socks, socks, 0};
  return std::nullopt;
}

ProxyKind KindOf(const ProxyRow& row) {
  return row.protocol().starts_with("socks") ? ProxyKind::Socks : ProxyKind::Http;
}

// A cell's address as the proxy fields hold it: with "user:pass@" for a row that has them.
static std::string FieldAddress(const ProxyList& list, int row, int col) {
  const ProxyRow& proxy = list.Row(row);
  std::string address = Trim(list.Text(row, col));
  return proxy.credentials ? AddressWithCredentials(*proxy.credentials, address) : address;
}

std::string RowAddress(const ProxyList& list, int row) {
  bool by_ip = !Trim(list.Text(row, kColServerIp)).empty();
  return FieldAddress(list, row, by_ip ? kColServerIp : kColServerName);
}

int RowOfAddress(const ProxyList& list, ProxyKind kind, const std::string& address) {
  for (int row = 1; row <= list.LastRow(); ++row) {
    if (KindOf(list.Row(row)) != kind) continue;
    if (FieldAddress(list, row, kColServerIp) == address ||
        FieldAddress(list, row, kColServerName) == address) {
      return row;
    }
  }
  return -1;
}

int CheckedRank(const std::string& level, const std::string& secure) {
  if (int rank = AnonymityRank(level); rank > 0) return rank;
  if (EqualsNoCase(secure, "Y")) return AnonymityRank("anonymous");
  if (EqualsNoCase(secure, "N")) return AnonymityRank("transparent");
  return 0;
}

int RowRank(const ProxyList& list, int row) {
  return CheckedRank(list.Row(row).anonymity(), Trim(list.Text(row, kColSecure)));
}

int BestReplacement(const ProxyList& list, const WatchTarget& target) {
  int best = -1;
  double best_ping = std::numeric_limits<double>::infinity();
  for (int row = 1; row <= list.LastRow(); ++row) {
    if (KindOf(list.Row(row)) != target.kind || Trim(list.Text(row, kColStatus)) != "OK") continue;
    std::string address = RowAddress(list, row);
    if (address.find(':') == std::string::npos || address == target.address ||
        Trim(list.Text(row, kColServerName)) == target.address ||
        RowRank(list, row) < target.min_rank) {
      continue;
    }
    std::string ping = Trim(list.Text(row, kColPing));
    double value = IsNumeric(ping) ? LeadingNumber(ping) : std::numeric_limits<double>::max();
    if (best < 0 || value < best_ping) {
      best = row;
      best_ping = value;
    }
  }
  return best;
}

std::vector<std::string> CheckCells(const ProxyList& list, int row, const WatchTarget& target) {
  std::vector<std::string> cells(kColumnCount + 1);
  if (row < 0) {
    CredentialedAddress split = SplitCredentials(target.address);
    cells[kColServerIp] = split.address;
    cells[kColumnCount] = target.kind == ProxyKind::Socks ? "socks5" : "";
    cells.push_back(split.credentials.user);
    cells.push_back(split.credentials.password);
    return cells;
  }
  for (int col = 0; col < kColumnCount; ++col) cells[size_t(col)] = list.Text(row, col);
  AppendCheckExtras(list.Row(row), cells);
  return cells;
}

ProxyFields WithReplacement(ProxyFields fields, const WatchTarget& target,
                            const std::string& address) {
  if (target.kind == ProxyKind::Socks) {
    fields.socks = address;
    return fields;
  }
  for (std::string& server : fields.servers) {
    if (Trim(server) == target.address) server = address;
  }
  return fields;
}

}  // namespace quillet
