#pragma once
// The ground truth of the farm against what quillet-check printed.
#include <string>

namespace bench {

struct Agreement {
  size_t expected = 0;  // rows in the ground truth that the run covered
  size_t matching = 0;  // of those, rows whose Status and Secure equal the truth
  std::string first_mismatch;
};

// `truth_csv`: proxy,kind,status,secure (with a title line). `check_csv`: quillet-check's CSV.
// Only the first `rows` rows of the truth count (0: all).
Agreement Compare(const std::string& truth_csv, const std::string& check_csv, size_t rows);

}  // namespace bench
