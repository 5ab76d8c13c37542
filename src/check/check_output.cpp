#include "check/check_output.h"

#include <algorithm>
#include <iomanip>
#include <nlohmann/json.hpp>

#include "core/encoding.h"

namespace quillet::check {
namespace {

constexpr const char* kTitles[] = {"row", "proxy", "status", "secure", "level", "ping", "verified"};

// The fields of a row for a terminal or a spreadsheet: control bytes escaped.
std::vector<std::string> Fields(const CheckedRow& row) {
  std::vector<std::string> fields = {row.proxy, row.status, row.secure,
                                     row.level, row.ping,   row.verified};
  for (std::string& field : fields) field = EscapeControls(field);
  fields.insert(fields.begin(), std::to_string(row.row));
  return fields;
}

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

void PrintCsv(const std::vector<CheckedRow>& rows, std::ostream& out) {
  auto line = [&out](const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << CsvField(fields[i]);
    out << "\n";
  };
  line({std::begin(kTitles), std::end(kTitles)});
  for (const CheckedRow& row : rows) line(Fields(row));
}

void PrintJson(const std::vector<CheckedRow>& rows, std::ostream& out) {
  nlohmann::json list = nlohmann::json::array();
  for (const CheckedRow& row : rows) {
    list.push_back({{"row", row.row},
                    {"proxy", row.proxy},
                    {"status", row.status},
                    {"secure", row.secure},
                    {"level", row.level},
                    {"ping", row.ping},
                    {"verified", row.verified}});
  }
  // Text from proxies is not always valid UTF-8: replace what is not.
  out << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

void PrintTable(const std::vector<CheckedRow>& rows, std::ostream& out) {
  std::vector<size_t> widths;
  for (const char* title : kTitles) widths.push_back(std::string(title).size());
  for (const CheckedRow& row : rows) {
    auto fields = Fields(row);
    for (size_t i = 0; i < fields.size(); ++i) widths[i] = std::max(widths[i], fields[i].size());
  }
  auto line = [&](const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i + 1 == fields.size()) {
        out << fields[i];
      } else {
        out << std::left << std::setw(static_cast<int>(widths[i] + 2)) << fields[i];
      }
    }
    out << "\n";
  };
  line({std::begin(kTitles), std::end(kTitles)});
  for (const CheckedRow& row : rows) line(Fields(row));
}

}  // namespace

void PrintRows(const std::vector<CheckedRow>& rows, OutputFormat format, std::ostream& out) {
  switch (format) {
    case OutputFormat::Csv:
      return PrintCsv(rows, out);
    case OutputFormat::Json:
      return PrintJson(rows, out);
    case OutputFormat::Table:
      return PrintTable(rows, out);
  }
}

void ProgressBar::Show(size_t finished, size_t total) {
  auto now = Clock::now();
  if (finished < total && shown_ && now - last_ < std::chrono::milliseconds(200)) return;
  last_ = now;
  shown_ = true;
  constexpr size_t kWidth = 40;
  size_t filled = total == 0 ? kWidth : finished * kWidth / total;
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
  err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << finished
       << "/" << total << " rows, " << seconds << " s" << std::flush;
}

void ProgressBar::Close() {
  if (shown_) err_ << "\r" << std::string(79, ' ') << "\r" << std::flush;
  shown_ = false;
}

}  // namespace quillet::check
