#pragma once
// One row of the proxy list: ten text cells (column 0 is the hidden, always-empty column) with
// the display state of each cell.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "net/country_lookup.h"
#include "proxylist/palette.h"
#include "proxylist/proxy_credentials.h"
#include "proxylist/row_storage.h"

namespace quillet {

// Column numbers of the grid.
enum ListColumn : int {
  kColHidden = 0,
  kColServerIp = 1,
  kColServerName = 2,
  kColComment = 3,
  kColVerified = 4,
  kColType = 5,
  kColStatus = 6,
  kColSecure = 7,
  kColPing = 8,
  kColCol = 9,
};

// The Server IP cell shows five blanks in front of the address.
inline constexpr const char* kServerIpIndent = "     ";

// The pictures a cell can show: pOK (anonymous), pNo (not anonymous), pClosed (answer not
// recognised) and pArrow (the row under test).
enum class CellPicture : uint8_t { None, OK, No, Closed, Arrow };

// The anonymity levels from "transparent" to "elite", and the protocols a proxy row can name
// besides HTTP (which rows name by naming none): SOCKS4 (names resolved here), SOCKS4a and SOCKS5
// (names resolved by the proxy), and HTTPS, a proxy that tunnels with CONNECT. A row keeps each
// as its number in these lists; number 0, the empty word, means none.
inline const std::array<std::string, 4> kAnonymityLevels = {"", "transparent", "anonymous",
                                                            "elite"};
inline const std::array<std::string, 5> kProxyProtocols = {"", "socks4", "socks4a", "socks5",
                                                           "https"};
// The short marks the grid shows in front of the Server IP for those protocols.
inline const std::array<std::string, 5> kProtocolMarks = {"", "S4", "S4A", "S5", "CONN"};

// How the last check pinged the row (see kPingMethods; number 0: not checked).
inline const std::array<std::string, 4> kRowPingMethods = {"", "icmp", "tcp", "none"};

// Why the last check of a row failed; display state only, like the anonymity level.
enum class CheckFailure : uint8_t {
  None,
  NoPingReply,  // no answer to the ping within its time-out
  NoIcmp,       // this system allows no ICMP echo
  Refused,      // the proxy's port refused the connection
  TimedOut,     // the proxy did not answer in time
  NoAnswer,     // the proxy closed the connection without an answer
  HttpStatus,   // the proxy answered with an error status (in the Status cell)
  NoJudgeText,  // the answer held no text of the judge page
  PageChanged,  // the judge page came back changed (its digest does not hold)
  AuthRefused,  // a SOCKS proxy refused the user name and password (or wanted some)
};
// The words a failed row's tip shows; `status` is the row's Status cell.
std::string CheckFailureWords(CheckFailure failure, const std::string& status,
                              bool has_credentials = false);

// The number of a word in one of those lists; 0 for a word not in it.
template <size_t N>
uint8_t WordNumber(const std::array<std::string, N>& words, const std::string& word) {
  for (size_t i = 1; i < N; ++i)
    if (word == words[i]) return uint8_t(i);
  return 0;
}

// Orders anonymity levels from none known (0) through "transparent" and "anonymous" to "elite".
inline int AnonymityRank(const std::string& level) {
  return WordNumber(kAnonymityLevels, level);
}

inline bool IsProxyProtocol(const std::string& word) {
  return WordNumber(kProxyProtocols, word) > 0;
}

// A proxy address as a list line or Add New names it: "socks5://host:port", or host:port alone
// for an HTTP proxy.
inline std::string WithProtocol(const std::string& protocol, const std::string& address) {
  return protocol.empty() ? address : protocol + "://" + address;
}

// What user() and password() give for a row without credentials.
inline const std::string kNoCredentialText;

struct ProxyRow {
  RowCells cells;
  RowColors fore{kSystemWindowText};
  RowColors back{kSystemWindowBackground};
  std::array<CellPicture, kColumnCount> pictures{};
  // The anonymity level the last check found (AnonymityRank), shown with the Secure cell;
  // display state only, never stored in the list file.
  uint8_t anonymity_rank = 0;
  // The proxy's protocol when it is not HTTP (its number in kProxyProtocols), else 0.
  uint8_t protocol_number = 0;
  // How the last check pinged it (its number in kRowPingMethods) and why it failed.
  uint8_t ping_method = 0;
  CheckFailure failure = CheckFailure::None;
  // The user name and password the proxy wants, or none.
  SharedCredentials credentials;
  // Milliseconds from sending the request to the end of the judge's answer in the last check
  // that got one; -1: none. Display state, shown in the Fetch column.
  int32_t fetch_ms = -1;
  // The country the last check found (SharedCountry), or none. Display state, shown in the
  // Country column.
  const Country* country = nullptr;

  // "transparent", "anonymous", "elite" or empty.
  const std::string& anonymity() const { return kAnonymityLevels.at(anonymity_rank); }
  // One of kProxyProtocols, or empty for HTTP.
  const std::string& protocol() const { return kProxyProtocols.at(protocol_number); }
  // One of kProtocolMarks, or empty for HTTP.
  const std::string& protocol_mark() const { return kProtocolMarks.at(protocol_number); }
  const std::string& user() const { return credentials ? credentials->user : kNoCredentialText; }
  const std::string& password() const {
    return credentials ? credentials->password : kNoCredentialText;
  }
};

}  // namespace quillet

namespace quillet {

// What a check of a row takes after its ten cells: the protocol (empty for HTTP), the user name
// and the password.
inline void AppendCheckExtras(const ProxyRow& row, std::vector<std::string>& cells) {
  cells.resize(kColumnCount);
  cells.push_back(row.protocol());
  cells.push_back(row.user());
  cells.push_back(row.password());
}

}  // namespace quillet
