#include "check/check_options.h"

#include <CLI/CLI.hpp>

#include "core/text.h"

namespace quillet::check {
namespace {

// "A-B", "A-" or "A" (1-based rows) into the options; false when it is none of these.
bool ParseRows(const std::string& text, CheckOptions& options) {
  std::string first = Trim(Before(text, "-"));
  std::string last = text.find('-') == std::string::npos ? first : Trim(After(text, "-"));
  auto whole = [](const std::string& part) {
    return !part.empty() && part.find_first_not_of("0123456789") == std::string::npos &&
           part.size() < 10;
  };
  if (!whole(first) || (!last.empty() && !whole(last))) return false;
  options.first_row = std::stoi(first);
  options.last_row = last.empty() ? 0 : std::stoi(last);
  return options.first_row >= 1 && (options.last_row == 0 || options.last_row >= options.first_row);
}

void DefineOptions(CLI::App& app, CheckOptions& options, std::string& rows, std::string& format,
                   bool& no_progress) {
  app.add_option("list", options.list_file, "the list file to check")->required();
  app.add_option("-j,--jobs", options.jobs, "how many proxies are checked at once")
      ->check(CLI::Range(1, kMaxJobs))
      ->capture_default_str();
  app.add_option("--rows", rows, "only these rows, e.g. 10-20, 5- or 7 (1 is the first)");
  app.add_option("--test-page", options.test_page, "judge page address (default: the settings)");
  app.add_option("--ping", options.ping_method,
                 "how each proxy is pinged first: icmp (echo), tcp (connect to its port) or none")
      ->check(CLI::IsMember({"icmp", "tcp", "none"}));
  app.add_option("--ping-timeout", options.ping_timeout_ms, "ping time-out in milliseconds")
      ->check(CLI::Range(1, 600000));
  app.add_option("--timeout", options.timeout_s, "time-out of each fetch phase in seconds")
      ->check(CLI::Range(1, 3600));
  app.add_option("--search-text", options.search_text, "text the judge page must contain");
  app.add_option("--find-ip", options.find_ip,
                 "your own address as the judge page shows it (empty: this host's address)");
  app.add_flag("-w,--write", options.write, "write the results back into the list file");
  app.add_option("-f,--format", format, "output on standard output: table, csv or json")
      ->check(CLI::IsMember({"table", "csv", "json"}))
      ->capture_default_str();
  app.add_flag("--no-progress", no_progress, "no progress bar on standard error");
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  CheckOptions& options = parsed.options;
  CLI::App app{
      "Checks the proxies of a Quillet list file: ICMP echo, then the judge page through each "
      "proxy. Defaults come from Quillet's settings.",
      "quillet-check"};
  std::string rows, format = "table";
  bool no_progress = false;
  DefineOptions(app, options, rows, format, no_progress);
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    parsed.exit_code = 0;
    parsed.output = app.help();
    return parsed;
  } catch (const CLI::ParseError& error) {
    parsed.exit_code = 2;
    parsed.error = error.what();
    return parsed;
  }
  if (!rows.empty() && !ParseRows(rows, options)) {
    parsed.exit_code = 2;
    parsed.error = "--rows: '" + rows + "' is not a row range like 10-20, 5- or 7";
    return parsed;
  }
  options.format = format == "csv"    ? OutputFormat::Csv
                   : format == "json" ? OutputFormat::Json
                                      : OutputFormat::Table;
  options.progress = !no_progress;
  return parsed;
}

}  // namespace quillet::check
