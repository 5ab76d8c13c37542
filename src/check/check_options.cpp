#include "check/check_options.h"

#include <algorithm>

#include "app/app_settings.h"
#include "cli/command_line.h"
#include "core/paths.h"
#include "core/text.h"
#include "net/country_lookup.h"

namespace quillet::check {
namespace {

const char kFooter[] =
    "Each list is a Quillet list file, or the http:// or https:// address of a text list (one\n"
    "host:port per line, at most 16 MiB); - reads one from standard input.\n"
    "Exit status: 0 at least one proxy works, 1 none works, 2 bad usage or a list file or "
    "setting that cannot be used, 130 interrupted.";

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

// The command line's texts that become options only after parsing.
struct Texts {
  std::string rows, format = "table", protocols, sort, countries;
  bool no_progress = false, quiet = false, verbose = false;
};

void DefineOptions(CLI::App& app, CheckOptions& options, Texts& texts) {
  app.add_option("list", options.list_files, "list files to check (- for standard input)")
      ->required()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_option("-j,--jobs", options.jobs, "how many proxies are checked at once")
      ->check(CLI::Range(1, kMaxJobs))
      ->capture_default_str();
  app.add_option("--threads", options.threads,
                 "how many threads share those checks, each with its own network loop "
                 "(0: one per core; default: the settings)")
      ->check(CLI::Range(0, int(kMaxThreads)));
  app.add_option("--rows", texts.rows, "only these rows, e.g. 10-20, 5- or 7 (1 is the first)");
  app.add_option("--protocol", texts.protocols,
                 "only rows of these protocols, e.g. socks5,https (http, https, socks4, "
                 "socks4a, socks5)");
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
  app.add_option("--country-db", options.country_db,
                 "country database file in MaxMind's format (default: the settings, else "
                 "GeoLite2-Country or dbip-country-lite in the usual places)");
  app.add_flag("-w,--write", options.write, "write the results back into the list files");
  app.add_option("-f,--format", texts.format,
                 "output on standard output: table, csv, json, or jsonl (one object per row as "
                 "it finishes)")
      ->check(CLI::IsMember({"table", "csv", "json", "jsonl"}))
      ->capture_default_str();
  app.add_flag("--only-working", options.only_working, "print only the rows that work");
  app.add_option("--min-level", options.min_level,
                 "print only working rows of this anonymity level or better")
      ->check(CLI::IsMember({"transparent", "anonymous", "elite"}));
  app.add_option("--country", texts.countries,
                 "print only rows whose country is one of these, e.g. DE,FR");
  app.add_option("--sort", texts.sort,
                 "ping or fetch: print the rows fastest first by ping, or by the time the judge "
                 "page took through the proxy")
      ->check(CLI::IsMember({"ping", "fetch"}));
  app.add_flag("-q,--quiet", texts.quiet, "print nothing on standard error but errors");
  app.add_flag("-v,--verbose", texts.verbose, "one line per finished row on standard error");
  app.add_flag("--no-progress", texts.no_progress, "no progress bar on standard error");
}

// The --protocol list; a word that names no protocol is a usage error.
std::string TakeProtocols(const std::string& text, CheckOptions& options) {
  static const std::vector<std::string> kKnown = {"http", "https", "socks4", "socks4a", "socks5"};
  for (const std::string& part : Split(text, ",")) {
    std::string word = Trim(part);
    if (std::find(kKnown.begin(), kKnown.end(), word) == kKnown.end()) {
      return "--protocol: '" + word + "' is none of http, https, socks4, socks4a, socks5";
    }
    options.protocols.push_back(word);
  }
  return "";
}

// The --country list; a word that is no two-letter code is a usage error.
std::string TakeCountries(const std::string& text, CheckOptions& options) {
  for (const std::string& part : Split(text, ",")) {
    std::string code = Trim(part);
    if (!IsCountryCode(code)) return "--country: '" + code + "' is not a country code such as DE";
    options.countries.push_back(ToUpper(code));
  }
  return "";
}

// What the options say together; the reason when they contradict each other.
std::string TakeTexts(const Texts& texts, CheckOptions& options) {
  if (!texts.rows.empty() && !ParseRows(texts.rows, options)) {
    return "--rows: '" + texts.rows + "' is not a row range like 10-20, 5- or 7";
  }
  if (!texts.protocols.empty()) {
    std::string problem = TakeProtocols(texts.protocols, options);
    if (!problem.empty()) return problem;
  }
  if (!texts.countries.empty()) {
    std::string problem = TakeCountries(texts.countries, options);
    if (!problem.empty()) return problem;
  }
  options.format = texts.format == "csv"     ? OutputFormat::Csv
                   : texts.format == "json"  ? OutputFormat::Json
                   : texts.format == "jsonl" ? OutputFormat::Jsonl
                                             : OutputFormat::Table;
  options.sort_by = texts.sort;
  if (options.format == OutputFormat::Jsonl && !options.sort_by.empty()) {
    return "--sort cannot be used with --format jsonl, which prints each row as it finishes";
  }
  if (options.write && std::count(options.list_files.begin(), options.list_files.end(),
                                  std::string(kStandardInput)) > 0) {
    return "--write needs list files; standard input (-) cannot be written back";
  }
  if (options.write && std::any_of(options.list_files.begin(), options.list_files.end(),
                                   [](const std::string& list) { return IsWebAddress(list); })) {
    return "--write needs list files; a list from a web address cannot be written back";
  }
  if (texts.quiet && texts.verbose) return "--quiet and --verbose exclude each other";
  options.verbosity = texts.quiet     ? Verbosity::Quiet
                      : texts.verbose ? Verbosity::Verbose
                                      : Verbosity::Normal;
  options.progress = !texts.no_progress && !texts.quiet;
  return "";
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  CLI::App app{
      "Checks the proxies of Quillet list files: ICMP echo, then the judge page through each "
      "proxy. Defaults come from Quillet's settings.",
      "quillet-check"};
  app.footer(kFooter);
  cli::Prepare(app);
  Texts texts;
  DefineOptions(app, parsed.options, texts);
  cli::ParseOutcome outcome = cli::Parse(app, arguments);
  parsed.exit_code = outcome.exit_code;
  parsed.output = outcome.output;
  parsed.error = outcome.error;
  if (parsed.exit_code >= 0) return parsed;
  std::string problem = TakeTexts(texts, parsed.options);
  if (!problem.empty()) {
    parsed.exit_code = cli::kExitUsage;
    parsed.error = cli::UsageError("quillet-check", problem);
  }
  return parsed;
}

}  // namespace quillet::check
