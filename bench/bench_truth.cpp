#include "bench_truth.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace bench {
namespace {

// One CSV line into fields; fields may be quoted with doubled quotes inside.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // titles
  while (std::getline(in, line)) {
    if (!line.empty()) rows.push_back(CsvFields(line));
  }
  return rows;
}

}  // namespace

Agreement Compare(const std::string& truth_csv, const std::string& check_csv, size_t rows,
                  size_t repeat) {
  // proxy -> status/secure/level of each copy, as the check's CSV (row,proxy,status,secure,
  // level,...) gives it
  std::map<std::string, std::vector<std::string>> found;
  for (const auto& fields : ReadCsv(check_csv)) {
    if (fields.size() >= 5)
      found[fields[1]].push_back(fields[2] + "/" + fields[3] + "/" + fields[4]);
  }
  Agreement agreement;
  for (const auto& fields : ReadCsv(truth_csv)) {
    if (rows && agreement.expected == rows) break;
    if (fields.size() < 5) continue;
    agreement.expected += repeat;
    auto it = found.find(fields[0]);
    std::string expected = fields[2] + "/" + fields[3] + "/" + fields[4];
    size_t same = 0;
    std::string other = "nothing";
    if (it != found.end()) {
      for (const std::string& got : it->second) {
        if (got == expected) {
          ++same;
        } else {
          other = got;
        }
      }
    }
    same = std::min(same, repeat);
    agreement.matching += same;
    if (same < repeat) {
      agreement.mismatches[fields[1] + " as " + other] += repeat - same;
      if (agreement.first_mismatch.empty()) {
        agreement.first_mismatch =
            fields[0] + " (" + fields[1] + "): expected " + expected + ", got " + other;
      }
    }
  }
  return agreement;
}

}  // namespace bench
