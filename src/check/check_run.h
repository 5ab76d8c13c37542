#pragma once
// One run of quillet-check: load the list file, take the settings and their overrides, check
// the chosen rows many at once with the same per-row check as the window, and write the results
// back into the list file when asked.
#include <ctime>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "check/check_options.h"
#include "net/country_lookup.h"
#include "net/resolver.h"
#include "proxylist/list_fetcher.h"
#include "verify/parallel_backend.h"

namespace quillet::check {

inline constexpr int kExitOk = 0;      // at least one proxy works
inline constexpr int kExitFailed = 1;  // no proxy works
inline constexpr int kExitBadInput =
    2;  // bad arguments, a list file or settings that cannot be used
inline constexpr int kExitInterrupted = 130;

struct CheckedRow {
  std::string list;      // the list file as given on the command line
  int row = 0;           // 1-based row of the list
  std::string proxy;     // Server IP, else Server Name, as listed (socks5://host:port)
  std::string protocol;  // "http", "https", "socks4", "socks4a" or "socks5"
  std::string host;
  int port = 0;  // 0 when the listed address names none
  std::string status;
  std::string secure;
  std::string level;  // anonymity level: "transparent", "anonymous", "elite" or empty
  std::string ping;
  std::string verified;      // as the list file stores it, in the user's locale
  std::string verified_utc;  // ISO 8601 in UTC, "2026-12-06T07:45:00Z"
  bool tampered = false;     // the proxy changed the judge page on its way
  std::string country = "";  // ISO code of the exit address, else the proxy's; empty: unknown
  int32_t fetch_ms = -1;     // from the request to the judge's whole answer; -1: not measured
};

// A working proxy: the judge page came back through it.
inline bool Works(const CheckedRow& row) {
  return row.status == "OK";
}

struct CheckEnvironment {
  SettingsStore& store;
  Resolver& resolver;
  ParallelBackend& backend;
  std::function<std::string()> now;                 // the Verified text of a row checked now
  std::function<void(size_t, size_t)> progress;     // rows finished, rows of the run; optional
  std::function<bool()> interrupted;                // optional
  std::function<void(const CheckedRow&)> finished;  // each row as it finishes; optional
  const CountryDatabases* countries = nullptr;      // null: no countries
  ListFetcher* fetcher = nullptr;                   // reads a list from a web address
};

struct CheckReport {
  int exit_code = kExitOk;
  std::vector<CheckedRow> rows;  // in list order
};

// Checks options.list_file. The exit code is kExitOk when a row works, kExitFailed when none
// does, else why the run stopped.
CheckReport RunCheck(const CheckOptions& options, CheckEnvironment& env, std::ostream& err);

// Why a list file cannot be saved (the save writes a new file beside it, then renames it), or
// empty text when it can.
std::string WriteProblem(const std::string& path);

// "2026-12-06T07:45:00Z".
std::string IsoUtc(std::time_t time);

}  // namespace quillet::check
