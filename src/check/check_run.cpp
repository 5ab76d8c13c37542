#include "check/check_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/app_settings.h"
#include "app/proxy_fields.h"
#include "check/console_ui.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/text.h"
#include "net/socket_layer.h"
#include "proxylist/list_file.h"
#include "verify/background_run.h"
#include "verify/http_probe.h"
#include "verify/probe_settings.h"
#include "verify/public_address.h"
#include "verify/verify_engine.h"

namespace quillet::check {
namespace {

// How long one step of the engine may wait before the progress is shown again.
constexpr int kStepMs = 100;

constexpr const char* kStandardInputPath = "/dev/stdin";

struct Failure {
  int exit_code;
  std::string line;
};

// The list file as the window would load it; a format error is bad input.
void LoadListFile(ListWindow window, ConsoleUserInterface& ui) {
  // Standard input (a pipe, often) is no plain file, and is read all the same.
  const std::string& path = window.settings.ListFile;
  if (path != kStandardInputPath && !IsWebAddress(path) && !FileExists(path)) {
    throw Failure{kExitBadInput, "cannot read the list file '" + window.settings.ListFile + "'"};
  }
  MemoryProxyFields no_proxy;
  ui.set_quiet(true);
  bool fetched = LoadList(window, no_proxy);
  ui.set_quiet(false);
  if (!fetched) throw Failure{kExitBadInput, Before(ui.last_message(), "\n")};
  if (ui.error_shown()) throw Failure{kExitBadInput, ui.last_message()};
}

// The settings of the window, with the command line's overrides.
void TakeSettings(const CheckOptions& options, CheckEnvironment& env, ConsoleUserInterface& ui,
                  AppSettings& settings) {
  LoadNumbersAndTexts(env.store, settings);
  if (options.ping_timeout_ms) settings.PingTimeoutMs = *options.ping_timeout_ms;
  if (options.ping_method) settings.PingMethod = *options.ping_method;
  if (options.timeout_s) settings.TestTimeoutMs = *options.timeout_s * 1000;
  if (options.search_text) settings.SearchText = *options.search_text;
  if (options.find_ip) settings.FindIP = *options.find_ip;
  if (options.threads) settings.Threads = *options.threads;
  if (options.country_db) settings.CountryDatabase = *options.country_db;
  std::string url = options.test_page.value_or(env.store.Read(keys::kTestUrl, ""));
  if (Trim(url).empty()) {
    throw Failure{
        kExitBadInput,
        "no test page is set: give --test-page HOST/PATH or set one in Quillet's settings"};
  }
  if (std::string problem = TestPageProblem(url); !problem.empty()) {
    throw Failure{kExitBadInput, "the test page '" + url + "' cannot be used: " + problem};
  }
  SetTestPage(ui, settings, url);
  if (settings.FindIP.empty()) settings.MyIP = LocalAddress(env.resolver, ui);
}

// The country database. One that --country-db names or --country needs must be usable; any
// other that cannot be is said, and the run goes on without countries.
void TakeCountries(const CheckOptions& options, CheckEnvironment& env, AppSettings& settings,
                   std::ostream& err) {
  std::string problem = env.countries ? LoadCountryDatabase(settings, *env.countries) : "";
  bool needed = options.country_db || !options.countries.empty();
  if (!problem.empty() && needed) throw Failure{kExitBadInput, problem};
  if (!problem.empty() && options.verbosity != Verbosity::Quiet) {
    err << "quillet-check: " << problem << "\n";
  }
  if (!settings.Countries && needed) {
    throw Failure{kExitBadInput,
                  std::string("--country needs a country database. ") + kNoCountryDatabase};
  }
}

void CheckRange(const CheckOptions& options, int rows, int& first, int& last) {
  first = options.first_row;
  last = options.last_row == 0 ? rows : options.last_row;
  if (rows == 0) throw Failure{kExitBadInput, "the list file holds no proxy rows"};
  if (first > rows || last > rows) {
    throw Failure{kExitBadInput, "--rows: the list has only " + std::to_string(rows) + " rows"};
  }
}

// The listed address: Server IP, else Server Name.
std::string ListedAddress(const ProxyList& list, int row) {
  std::string ip = Trim(list.Text(row, kColServerIp));
  return ip.empty() ? Trim(list.Text(row, kColServerName)) : ip;
}

// "host:port", with the protocol in front for a proxy that is not HTTP ("socks5://host:port")
// and the user name (never the password) for one that wants credentials ("user@host:port").
std::string ListedProxy(const ProxyList& list, int row) {
  const ProxyRow& proxy = list.Row(row);
  std::string user = proxy.credentials ? proxy.user() + "@" : "";
  return WithProtocol(proxy.protocol(), user + ListedAddress(list, row));
}

std::string ProtocolOf(const ProxyList& list, int row) {
  const std::string& protocol = list.Row(row).protocol();
  return protocol.empty() ? "http" : protocol;
}

bool Chosen(const CheckOptions& options, const ProxyList& list, int row) {
  return options.protocols.empty() || std::find(options.protocols.begin(), options.protocols.end(),
                                                ProtocolOf(list, row)) != options.protocols.end();
}

// The row as printed, after its check wrote Status, Secure, Ping and Verified.
CheckedRow PrintedRow(const CheckOptions& options, const ProxyList& list, int row,
                      const RowCheckOutcome& outcome) {
  std::string address = ListedAddress(list, row);
  size_t colon = address.rfind(':');
  int port = colon == std::string::npos ? 0 : PortNumber(address.substr(colon + 1));
  return {options.list_file,
          row,
          ListedProxy(list, row),
          ProtocolOf(list, row),
          port ? address.substr(0, colon) : address,
          port,
          Trim(list.Text(row, kColStatus)),
          Trim(list.Text(row, kColSecure)),
          outcome.level,
          Trim(list.Text(row, kColPing)),
          list.Text(row, kColVerified),
          IsoUtc(std::time(nullptr)),
          outcome.failure_kind == CheckFailure::PageChanged,
          outcome.country.code,
          outcome.fetch_ms};
}

std::string FailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "unexpected failure";
  }
}

}  // namespace

CheckReport RunCheck(const CheckOptions& options, CheckEnvironment& env, std::ostream& err) {
  CheckReport report;
  ConsoleUserInterface ui(err);
  AppSettings settings;
  ProxyList list;
  ListWindow window{list, settings, ui, env.fetcher};
  ui.set_errors_only(options.verbosity == Verbosity::Quiet);
  bool notices = options.verbosity != Verbosity::Quiet;
  // A settings file that had to be moved aside is said here as the window says it at start.
  if (std::string problem = env.store.OpenProblem(); !problem.empty()) {
    err << "quillet-check: " << problem << "\n";
  }
  try {
    // Standard input is read like a file; only --write needs a real one.
    settings.ListFile =
        options.list_file == kStandardInput ? kStandardInputPath : options.list_file;
    if (options.write) {
      std::string problem = WriteProblem(options.list_file);
      if (!problem.empty())
        throw Failure{kExitBadInput, "cannot write " + options.list_file + ": " + problem};
    }
    LoadListFile(window, ui);
    TakeSettings(options, env, ui, settings);
    TakeCountries(options, env, settings, err);
    int first = 0, last = 0;
    CheckRange(options, list.LastRow(), first, last);

    std::string limit_message;
    int jobs = FitJobsToOpenFiles(env.backend, options.jobs, limit_message);
    if (!limit_message.empty() && notices) err << "quillet-check: " << limit_message << "\n";

    if (NeedsPublicAddress(settings)) {
      auto io = env.backend.MakeIo();
      std::string notice =
          TakePublicAddress(settings, VisitTestPage(*io, ProbeSettings::From(settings)));
      if (!notice.empty() && notices) err << "quillet-check: " << notice << "\n";
    }
    std::vector<int> chosen;
    for (int row = first; row <= last; ++row) {
      if (Chosen(options, list, row)) chosen.push_back(row);
    }
    // The rows' cells are copied for the engines a little ahead of need, not all at once.
    size_t given = 0;
    auto next_rows = [&](size_t count) {
      BackgroundRun::Rows rows;
      for (; count > 0 && given < chosen.size(); --count, ++given) {
        const ProxyRow& proxy = list.Row(chosen[given]);
        rows.emplace_back(static_cast<size_t>(chosen[given]), proxy.cells.All());
        AppendCheckExtras(proxy, rows.back().second);
      }
      return rows;
    };
    size_t total = chosen.size(), finished = 0;
    report.rows.reserve(total);  // grown by doubling, it would once hold half as much again
    size_t ahead = 2 * static_cast<size_t>(jobs);
    BackgroundRun::Rows first_rows = next_rows(ahead);
    BackgroundRun run(env.backend, ProbeSettings::From(settings), jobs, std::move(first_rows),
                      false, EnginesFor(env.backend, settings.Threads, jobs), given < total);
    while (!run.Over()) {
      if (given < total && run.Queued() < ahead / 2) {
        run.Append(next_rows(ahead / 2));
        if (given == total) run.Close();
      }
      if (env.interrupted && env.interrupted()) {
        run.Cancel();
        throw Failure{kExitInterrupted, "interrupted; the list file is unchanged"};
      }
      if (std::exception_ptr failure = run.Failure()) std::rethrow_exception(failure);
      for (RowEvent& done : run.Take(kStepMs)) {
        if (done.started) continue;
        ++finished;
        int row = static_cast<int>(done.index);
        RowCheckOutcome& outcome = done.outcome;
        outcome.messages.ReplayOn(ui);
        if (outcome.failure_kind == CheckFailure::NoIcmp && !settings.NoIcmpTold) {
          settings.NoIcmpTold = true;
          err << "quillet-check: " << kNoIcmpMessage << "\n";
        }
        if (outcome.failure) {
          err << "quillet-check: row " << row << " (" << ListedProxy(list, row)
              << "): " << FailureText(outcome.failure) << "\n";
          continue;
        }
        list.SetText(row, kColStatus, outcome.status);
        list.SetText(row, kColSecure, outcome.secure);
        list.SetText(row, kColPing, outcome.ping);
        list.SetText(row, kColVerified, env.now());
        report.rows.push_back(PrintedRow(options, list, row, outcome));
        if (env.finished) env.finished(report.rows.back());
      }
      if (env.progress) env.progress(finished, total);
    }
    std::sort(report.rows.begin(), report.rows.end(),
              [](const CheckedRow& a, const CheckedRow& b) { return a.row < b.row; });
    if (options.write && !GridExport(window)) {
      throw Failure{kExitBadInput, "cannot write " + options.list_file + "; it is unchanged"};
    }
    bool works = std::any_of(report.rows.begin(), report.rows.end(), Works);
    report.exit_code = works ? kExitOk : kExitFailed;
  } catch (const Failure& failure) {
    err << "quillet-check: " << failure.line << "\n";
    report.exit_code = failure.exit_code;
    report.rows.clear();
  }
  return report;
}

std::string WriteProblem(const std::string& path) {
  int file = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (file < 0) return std::strerror(errno);
  close(file);
  std::error_code error;
  std::filesystem::path target = std::filesystem::canonical(path, error);
  std::filesystem::path folder =
      error ? std::filesystem::path(path).parent_path() : target.parent_path();
  if (folder.empty()) folder = ".";
  if (access(folder.c_str(), W_OK) != 0) {
    return std::string(std::strerror(errno)) + " (a save writes a new file in " + folder.string() +
           ")";
  }
  return "";
}

std::string IsoUtc(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc));
}

}  // namespace quillet::check
