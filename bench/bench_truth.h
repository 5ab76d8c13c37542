#pragma once
// The ground truth of the farm against what quillet-check printed.
#include <map>
#include <string>

namespace bench {

struct Agreement {
  size_t expected = 0;  // rows in the ground truth that the run covered
  size_t matching = 0;  // of those, rows whose Status and Secure equal the truth
  std::string first_mismatch;
  std::map<std::string, size_t> mismatches;  // "kind as status/secure/level" -> rows
};

// `truth_csv`: proxy,kind,status,secure (with a title line). `check_csv`: quillet-check's CSV.
// Only the first `rows` rows of the truth count (0: all). The check ran over the farm's list
// `repeat` times over: every copy of a proxy must match its truth, and each counts as a row.
Agreement Compare(const std::string& truth_csv, const std::string& check_csv, size_t rows,
                  size_t repeat = 1);

}  // namespace bench
