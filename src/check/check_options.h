#pragma once
// The command line of quillet-check.
#include <optional>
#include <string>
#include <vector>

namespace quillet::check {

enum class OutputFormat { Table, Csv, Json, Jsonl };
enum class Verbosity { Quiet, Normal, Verbose };

struct CheckOptions {
  std::vector<std::string> list_files;  // as given; "-" is standard input
  std::string list_file;                // the one a run checks
  int jobs = 100;
  // Engines (threads) that share the jobs; 0: one per core. Unset: the settings' "threads".
  std::optional<int> threads;
  // Rows of the list to check, 1-based and inclusive; 0 for "to the last row".
  int first_row = 1;
  int last_row = 0;
  // Only rows of these protocols are checked ("http", "https", "socks4", "socks4a", "socks5");
  // empty: every row.
  std::vector<std::string> protocols;
  // Overrides of the user's settings.
  std::optional<std::string> test_page;
  std::optional<int> ping_timeout_ms;
  std::optional<std::string> ping_method;  // icmp, tcp or none
  std::optional<int> timeout_s;
  std::optional<std::string> search_text;
  std::optional<std::string> find_ip;
  std::optional<std::string> country_db;  // the country database file
  bool write = false;
  OutputFormat format = OutputFormat::Table;
  // Which checked rows are printed, and in which order.
  bool only_working = false;
  std::string min_level;               // "transparent", "anonymous", "elite" or empty for any
  std::string sort_by;                 // "ping" or "fetch": fastest first; empty: list order
  std::vector<std::string> countries;  // upper-case ISO codes; empty for any country
  Verbosity verbosity = Verbosity::Normal;
  bool progress = true;  // on a terminal only
};

struct ParsedCommandLine {
  CheckOptions options;
  int exit_code = -1;  // >= 0: stop now with this code (help shown, or a bad argument)
  std::string output;  // the help or version text (for standard output)
  std::string error;   // the usage error (for standard error)
};

// The greatest number of checks in flight the program accepts.
inline constexpr int kMaxJobs = 20000;

// The list file name that stands for standard input.
inline constexpr const char* kStandardInput = "-";

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace quillet::check
