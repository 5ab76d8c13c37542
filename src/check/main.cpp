// quillet-check: checks the proxies of a Quillet list file from the command line.
//   quillet-check [options] LIST
// Exit codes: 0 all chosen rows checked, 1 a row could not be checked or the file not written,
// 2 bad arguments, list file or settings, 130 interrupted.
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <ctime>
#include <iostream>

#include "check/check_output.h"
#include "check/check_run.h"
#include "platform/platform.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
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
  std::vector<std::string> arguments(argv + 1, argv + argc);
  ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (parsed.exit_code >= 0) {
    std::cout << parsed.output;
    if (!parsed.error.empty()) std::cerr << "quillet-check: " << parsed.error << "\n";
    return parsed.exit_code;
  }
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);

  auto platform = quillet::MakePlatform();
  if (!platform->parallel) {
    std::cerr << "quillet-check: checking many proxies at once is not available here\n";
    return kExitFailed;
  }
  ProgressBar bar(std::cerr);
  bool show_progress = parsed.options.progress && isatty(STDERR_FILENO);
  CheckEnvironment env{
      *platform->settings, *platform->resolver, *platform->parallel, NowText, nullptr, [] {
        return interrupted != 0;
      }};
  if (show_progress) env.progress = [&bar](size_t done, size_t total) { bar.Show(done, total); };
  CheckReport report = RunCheck(parsed.options, env, std::cerr);
  if (show_progress) bar.Close();
  if (report.exit_code == kExitOk || report.exit_code == kExitFailed) {
    PrintRows(report.rows, parsed.options.format, std::cout);
  }
  return report.exit_code;
}
