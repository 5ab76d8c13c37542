#pragma once
// The command line of quillet-check.
#include <optional>
#include <string>
#include <vector>

namespace quillet::check {

enum class OutputFormat { Table, Csv, Json };

struct CheckOptions {
  std::string list_file;
  int jobs = 100;
  // Rows of the list to check, 1-based and inclusive; 0 for "to the last row".
  int first_row = 1;
  int last_row = 0;
  // Overrides of the user's settings.
  std::optional<std::string> test_page;
  std::optional<int> ping_timeout_ms;
  std::optional<std::string> ping_method;  // icmp, tcp or none
  std::optional<int> timeout_s;
  std::optional<std::string> search_text;
  std::optional<std::string> find_ip;
  bool write = false;
  OutputFormat format = OutputFormat::Table;
  bool progress = true;  // on a terminal only
};

struct ParsedCommandLine {
  CheckOptions options;
  int exit_code = -1;  // >= 0: stop now with this code (help shown, or a bad argument)
  std::string output;  // the help text (for standard output)
  std::string error;   // one line for standard error
};

// The greatest number of checks in flight the program accepts.
inline constexpr int kMaxJobs = 20000;

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace quillet::check
