#pragma once
// What quillet-check prints: the checked rows as a table, CSV, JSON or JSON lines on standard
// output, and a progress bar on standard error.
#include <chrono>
#include <ostream>
#include <vector>

#include "check/check_options.h"
#include "check/check_run.h"

namespace quillet::check {

// Whether a checked row is printed: --only-working, --min-level, --country.
bool Wanted(const CheckedRow& row, const CheckOptions& options);

// The wanted rows in the order to print them (--sort ping or fetch: fastest first, rows without
// that time last).
std::vector<CheckedRow> RowsToPrint(std::vector<CheckedRow> rows, const CheckOptions& options);

// The whole output of a run. `several_lists` adds the list file to the table and CSV;
// `colour` paints working rows green and failed rows red (table only).
struct PrintStyle {
  bool several_lists = false;
  bool colour = false;
};
void PrintRows(const std::vector<CheckedRow>& rows, OutputFormat format, std::ostream& out,
               PrintStyle style = {});

// One row as one line of JSON (--format jsonl), flushed at once.
void PrintJsonLine(const CheckedRow& row, std::ostream& out);

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
