// quillet-check: checks the proxies of Quillet list files from the command line.
//   quillet-check [options] LIST...
// Exit codes: 0 at least one proxy works, 1 none works, 2 bad usage or a list file or setting
// that cannot be used, 130 interrupted.
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <iterator>
#include <thread>

#include "check/check_output.h"
#include "check/check_run.h"
#include "check/console_ui.h"
#include "platform/platform.h"

namespace {

std::atomic<bool> interrupted{false};

// How long an interrupted check may take to stop by itself before it is ended.
constexpr auto kGraceAfterInterrupt = std::chrono::milliseconds(400);

// SIGINT and SIGTERM are taken by one thread (they are blocked before any other thread starts).
// It asks the check to stop; when the program has not ended soon after (it may be reading a
// large file or waiting in a call that cannot be cancelled), it ends the program itself. The
// list file is only ever replaced whole, so it is never left half written.
void WatchInterrupts() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    interrupted = true;
    std::this_thread::sleep_for(kGraceAfterInterrupt);
    static const char kLine[] = "quillet-check: interrupted\n";
    if (write(STDERR_FILENO, kLine, sizeof kLine - 1) < 0) {
      // Nothing more can be said when standard error is gone.
    }
    _exit(quillet::check::kExitInterrupted);
  }).detach();
}

// The date and time of a check, in the user's locale.
std::string NowText() {
  std::time_t now = std::time(nullptr);
  char text[128];
  std::tm local{};
  localtime_r(&now, &local);
  size_t size = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, size);
}

// Colour only for a person at a terminal who has not asked for none (NO_COLOR).
bool ColourWanted() {
  const char* no_colour = std::getenv("NO_COLOR");
  return isatty(STDOUT_FILENO) && (no_colour == nullptr || *no_colour == '\0');
}

// One line on standard error for a finished row (--verbose).
void SayFinished(const quillet::check::CheckedRow& row, std::ostream& messages) {
  messages << "quillet-check: " << row.list << " row " << row.row << " (" << row.proxy
           << "): " << row.status;
  for (const std::string* part : {&row.secure, &row.level}) {
    if (!part->empty()) messages << " " << *part;
  }
  if (!row.ping.empty()) messages << ", ping " << row.ping << " ms";
  messages << "\n";
}

// The run's exit code from those of its lists: an interrupt first, then unusable input; else
// whether any proxy worked.
int CombinedExitCode(const std::vector<int>& codes) {
  using namespace quillet::check;
  for (int worst : {kExitInterrupted, kExitBadInput}) {
    if (std::find(codes.begin(), codes.end(), worst) != codes.end()) return worst;
  }
  return std::find(codes.begin(), codes.end(), kExitOk) != codes.end() ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillet::check;
  WatchInterrupts();  // first: an interrupt while starting ends the program with 130 as well
  std::setlocale(LC_ALL, "");
  EscapingBuffer escaped(std::cerr);
  std::ostream messages(&escaped);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (parsed.exit_code >= 0) {
    std::cout << parsed.output;
    messages << parsed.error;
    return parsed.exit_code;
  }

  auto platform = quillet::MakePlatform();
  if (!platform->parallel) {
    messages << "quillet-check: checking many proxies at once is not available here\n";
    return kExitBadInput;
  }
  CheckOptions& options = parsed.options;
  ProgressBar bar(std::cerr);
  bool show_progress = options.progress && isatty(STDERR_FILENO);
  CheckEnvironment env{*platform->settings,
                       *platform->resolver,
                       *platform->parallel,
                       NowText,
                       nullptr,
                       [] { return interrupted.load(); },
                       nullptr,
                       platform->countries.get(),
                       platform->list_fetcher.get()};
  if (show_progress) env.progress = [&bar](size_t done, size_t total) { bar.Show(done, total); };
  env.finished = [&](const CheckedRow& row) {
    if (show_progress) bar.Close();
    if (options.verbosity == Verbosity::Verbose) SayFinished(row, messages);
    if (options.format == OutputFormat::Jsonl && Wanted(row, options)) {
      PrintJsonLine(row, std::cout);
    }
  };
  std::vector<CheckedRow> rows;
  std::vector<int> codes;
  for (const std::string& list : options.list_files) {
    options.list_file = list;
    CheckReport report = RunCheck(options, env, messages);
    if (show_progress) bar.Close();
    codes.push_back(report.exit_code);
    if (report.exit_code == kExitInterrupted) break;
    if (rows.empty()) {
      rows = std::move(report.rows);  // 100,000 rows are tens of megabytes: never copied
    } else {
      rows.insert(rows.end(), std::make_move_iterator(report.rows.begin()),
                  std::make_move_iterator(report.rows.end()));
    }
  }
  int code = CombinedExitCode(codes);
  bool nothing_checked = rows.empty() && code == kExitBadInput;
  if (options.format != OutputFormat::Jsonl && code != kExitInterrupted && !nothing_checked) {
    PrintStyle style{options.list_files.size() > 1,
                     options.format == OutputFormat::Table && ColourWanted()};
    PrintRows(RowsToPrint(std::move(rows), options), options.format, std::cout, style);
  }
  return code;
}
