#pragma once
// The check of one proxy row: look-up, ping, test-page probe and judgement. It is a unit of its
// own: it reads only the row's cells and a copy of the settings, touches no window, and gives the
// cells to write, so that it can run away from the window and many can run at once.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "proxylist/proxy_row.h"
#include "verify/deferred_user_interface.h"
#include "verify/http_client.h"
#include "verify/pinger.h"
#include "verify/probe_settings.h"

namespace quillet {

// What a row check needs from the world. Each may be used from several checks at once.
struct RowCheckServices {
  HttpClient& http;
  Pinger& pinger;
  // First IPv4 address of a host name as dotted text, empty when the name does not resolve.
  std::function<std::string(const std::string&)> name_to_address;
};

struct RowCheckOutcome {
  bool skipped = false;   // the line had fewer than two cells: nothing is written
  bool answered = false;  // the test page came back through the proxy
  std::string status;     // Status cell: "OK", "--" or an HTTP status code
  std::string secure;     // Secure cell: "Y", "N", "?" or empty
  std::string ping;       // Ping cell: round-trip milliseconds, empty when not answered
  CellPicture icon = CellPicture::None;  // for the Server IP cell
  // Message boxes raised by the check (error reports), to be shown on the window's thread.
  DeferredUserInterface messages;
  // A failure that ends the whole run (for example a row without ":" and port).
  std::exception_ptr failure;
};

// The cells of a selected line: the line split at tabs (column 0 first, then the nine columns).
RowCheckOutcome CheckRow(const std::vector<std::string>& cells, const ProbeSettings& settings,
                         RowCheckServices& services);

}  // namespace quillet
