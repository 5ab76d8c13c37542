#pragma once
// One run of quillet-check: load the list file, take the settings and their overrides, check
// the chosen rows many at once with the same per-row check as the window, and write the results
// back into the list file when asked.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "check/check_options.h"
#include "verify/parallel_backend.h"
#include "verify/resolver.h"

namespace quillet::check {

inline constexpr int kExitOk = 0;        // every chosen row was checked
inline constexpr int kExitFailed = 1;    // a row could not be checked, or writing failed
inline constexpr int kExitBadInput = 2;  // bad arguments, list file or settings
inline constexpr int kExitInterrupted = 130;

struct CheckedRow {
  int row = 0;        // 1-based row of the list
  std::string proxy;  // Server IP, else Server Name, as listed
  std::string status;
  std::string secure;
  std::string level;  // anonymity level: "transparent", "anonymous", "elite" or empty
  std::string ping;
  std::string verified;
};

struct CheckEnvironment {
  SettingsStore& store;
  Resolver& resolver;
  ParallelBackend& backend;
  std::function<std::string()> now;              // the Verified text of a row checked now
  std::function<void(size_t, size_t)> progress;  // rows finished, rows of the run; optional
  std::function<bool()> interrupted;             // optional
};

struct CheckReport {
  int exit_code = kExitOk;
  std::vector<CheckedRow> rows;  // in list order
};

CheckReport RunCheck(const CheckOptions& options, CheckEnvironment& env, std::ostream& err);

}  // namespace quillet::check
