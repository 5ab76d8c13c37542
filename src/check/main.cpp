// quillet-check: checks the proxies of a Quillet list file from the command line.
//   quillet-check [options] LIST
// Exit codes: 0 all chosen rows checked, 1 a row could not be checked or the file not written,
// 2 bad arguments, list file or settings, 130 interrupted.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <csignal>
#include <ctime>
#include <iostream>
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

}  // namespace

int main(int argc, char** argv) {
  using namespace quillet::check;
  std::setlocale(LC_ALL, "");
  EscapingBuffer escaped(std::cerr);
  std::ostream messages(&escaped);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (parsed.exit_code >= 0) {
    std::cout << parsed.output;
    if (!parsed.error.empty()) messages << "quillet-check: " << parsed.error << "\n";
    return parsed.exit_code;
  }
  WatchInterrupts();

  auto platform = quillet::MakePlatform();
  if (!platform->parallel) {
    messages << "quillet-check: checking many proxies at once is not available here\n";
    return kExitFailed;
  }
  ProgressBar bar(std::cerr);
  bool show_progress = parsed.options.progress && isatty(STDERR_FILENO);
  CheckEnvironment env{
      *platform->settings, *platform->resolver, *platform->parallel, NowText, nullptr, [] {
        return interrupted.load();
      }};
  if (show_progress) env.progress = [&bar](size_t done, size_t total) { bar.Show(done, total); };
  CheckReport report = RunCheck(parsed.options, env, messages);
  if (show_progress) bar.Close();
  if (report.exit_code == kExitOk || report.exit_code == kExitFailed) {
    PrintRows(report.rows, parsed.options.format, std::cout);
  }
  return report.exit_code;
}
