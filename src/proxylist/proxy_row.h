#pragma once
// One row of the proxy list: ten text cells (column 0 is the hidden, always-empty column) with
// the display state of each cell.
#include <array>
#include <cstdint>
#include <string>

#include "proxylist/palette.h"

namespace quillet {

inline constexpr int kColumnCount = 10;

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

// Orders anonymity levels from none known (0) through "transparent" and "anonymous" to "elite".
inline int AnonymityRank(const std::string& level) {
  constexpr const char* kLevels[] = {"transparent", "anonymous", "elite"};
  for (int i = 0; i < 3; ++i)
    if (level == kLevels[i]) return i + 1;
  return 0;
}

// The protocols a proxy row can name besides HTTP (which rows name by naming none): SOCKS4 (names
// resolved here), SOCKS4a and SOCKS5 (names resolved by the proxy), and HTTPS, a proxy that
// tunnels with CONNECT.
inline bool IsProxyProtocol(const std::string& word) {
  return word == "socks4" || word == "socks4a" || word == "socks5" || word == "https";
}

struct ProxyRow {
  std::array<std::string, kColumnCount> cells;
  std::array<Color, kColumnCount> fore;
  std::array<Color, kColumnCount> back;
  std::array<CellPicture, kColumnCount> pictures;
  // The anonymity level the last check found ("transparent", "anonymous", "elite" or empty),
  // shown with the Secure cell; display state only, never stored in the list file.
  std::string anonymity;
  // The proxy's protocol when it is not HTTP (see IsProxyProtocol), else empty.
  std::string protocol;

  ProxyRow() {
    fore.fill(kSystemWindowText);
    back.fill(kSystemWindowBackground);
    pictures.fill(CellPicture::None);
  }
};

}  // namespace quillet
