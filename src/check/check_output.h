#pragma once
// What quillet-check prints: the checked rows as a table, CSV or JSON on standard output, and
// a progress bar on standard error.
#include <chrono>
#include <ostream>
#include <vector>

#include "check/check_options.h"
#include "check/check_run.h"

namespace quillet::check {

void PrintRows(const std::vector<CheckedRow>& rows, OutputFormat format, std::ostream& out);

// A one-line bar redrawn in place ("\\r"), at most a few times a second.
class ProgressBar {
 public:
  explicit ProgressBar(std::ostream& err) : err_(err), start_(Clock::now()) {}
  void Show(size_t finished, size_t total);
  // Clears the bar's line.
  void Close();

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream& err_;
  Clock::time_point start_;
  Clock::time_point last_{};
  bool shown_ = false;
};

}  // namespace quillet::check
