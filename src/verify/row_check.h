#pragma once
// The check of one proxy row: look-up, ping, test-page probe and judgement. It reads only the
// row's cells and a copy of the settings, touches no window, and gives the cells to write. It is
// a coroutine that waits on the event loop, so one engine runs one row or thousands at once.
#include <exception>
#include <string>
#include <vector>

#include "net/country_lookup.h"
#include "proxylist/proxy_row.h"
#include "verify/check_io.h"
#include "verify/deferred_user_interface.h"
#include "verify/probe_settings.h"
#include "verify/row_task.h"

namespace quillet {

// Said once when the system refuses the ICMP echo: every row would fail its ping.
inline constexpr const char* kNoIcmpMessage =
    "This system lets Quillet send no ICMP echo (ping), so every proxy pinged that way fails.\n"
    "To allow it for every user, run:\n"
    "  sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"\n"
    "or ping by TCP connect instead (Settings, or quillet-check --ping tcp).";

struct RowCheckOutcome {
  bool answered = false;    // the test page came back through the proxy
  std::string status;       // Status cell: "OK", "--" or an HTTP status code
  std::string secure;       // Secure cell: "Y", "N", "?" or empty
  std::string ping;         // Ping cell: round-trip milliseconds, empty when not answered
  int32_t fetch_ms = -1;    // from the request to the judge's answer; -1 when not answered
  std::string level;        // "transparent", "anonymous", "elite", or empty when not known
  std::string ping_method;  // how the row was pinged: one of kPingMethods
  CheckFailure failure_kind = CheckFailure::None;  // why it was not answered, or was changed
  CellPicture icon = CellPicture::None;            // for the Server IP cell
  // Where the judge saw the request come from, else where the proxy is: empty without a
  // country database, or when the database does not know the address.
  Country country;
  // Message boxes raised by the check (error reports), to be shown on the window's thread.
  DeferredUserInterface messages;
  // A failure that ends the whole run (for example a row without ":" and port).
  std::exception_ptr failure;
};

// Whether a line has enough cells to be checked at all; shorter lines are skipped unwritten.
bool LineIsCheckable(const std::vector<std::string>& cells);
// Whether the check of a line fails before it waits for anything (an address without a port).
bool LineFailsAtOnce(const std::vector<std::string>& cells);

// What a row check waits with: the engine's I/O, the list of rows to resume, and whether the
// run was cancelled (a cancelled check ends at its next step without starting anything).
struct RowWaits {
  CheckIo& io;
  Wakeups& wakeups;
  const bool& cancelled;
};

// The cells of a checkable line: the line split at tabs (column 0 first, then the nine columns),
// then optionally the row's proxy protocol (empty for HTTP), user name and password
// (AppendCheckExtras).
// A failure is kept in the outcome, never thrown.
Task<RowCheckOutcome> CheckRow(std::vector<std::string> cells, const ProbeSettings& settings,
                               RowWaits waits);

}  // namespace quillet
