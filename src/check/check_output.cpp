#include "check/check_output.h"

#include <algorithm>
#include <iomanip>
#include <nlohmann/json.hpp>

#include "core/encoding.h"
#include "core/text.h"
#include "proxylist/proxy_row.h"

namespace quillet::check {
namespace {

constexpr const char* kTitles[] = {"row",  "proxy", "status",  "secure",  "level",
                                   "ping", "fetch", "country", "verified"};
constexpr const char* kGreen = "\x1b[32m";
constexpr const char* kRed = "\x1b[31m";
constexpr const char* kPlain = "\x1b[0m";

std::vector<std::string> Titles(PrintStyle style) {
  std::vector<std::string> titles(std::begin(kTitles), std::end(kTitles));
  if (style.several_lists) titles.insert(titles.begin(), "list");
  return titles;
}

// The fields of a row for a terminal or a spreadsheet: control bytes escaped.
std::vector<std::string> Fields(const CheckedRow& row, PrintStyle style) {
  std::string fetch = row.fetch_ms < 0 ? "" : std::to_string(row.fetch_ms);
  std::vector<std::string> fields = {row.proxy, row.status, row.secure,  row.level,
                                     row.ping,  fetch,      row.country, row.verified};
  fields.insert(fields.begin(), std::to_string(row.row));
  if (style.several_lists) fields.insert(fields.begin(), row.list);
  for (std::string& field : fields) field = EscapeControls(field);
  return fields;
}

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

void PrintCsv(const std::vector<CheckedRow>& rows, std::ostream& out, PrintStyle style) {
  auto line = [&out](const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << CsvField(fields[i]);
    out << "\n";
  };
  line(Titles(style));
  for (const CheckedRow& row : rows) line(Fields(row, style));
}

nlohmann::json JsonOf(const CheckedRow& row) {
  nlohmann::json ping = nullptr;
  if (IsNumeric(row.ping)) ping = static_cast<long long>(LeadingNumber(row.ping));
  return {{"list", row.list},
          {"row", row.row},
          {"proxy", row.proxy},
          {"protocol", row.protocol},
          {"host", row.host},
          {"port", row.port ? nlohmann::json(row.port) : nlohmann::json(nullptr)},
          {"status", row.status},
          {"secure", row.secure},
          {"level", row.level},
          {"ping", ping},
          {"fetch_ms", row.fetch_ms < 0 ? nlohmann::json(nullptr) : nlohmann::json(row.fetch_ms)},
          {"verified", row.verified_utc},
          {"tampered", row.tampered},
          {"country", row.country.empty() ? nlohmann::json(nullptr) : nlohmann::json(row.country)}};
}

// Text from proxies is not always valid UTF-8: replace what is not.
std::string Dump(const nlohmann::json& json, int indent) {
  return json.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

void PrintJson(const std::vector<CheckedRow>& rows, std::ostream& out) {
  nlohmann::json list = nlohmann::json::array();
  for (const CheckedRow& row : rows) list.push_back(JsonOf(row));
  out << Dump(list, 2) << "\n";
}

void PrintTable(const std::vector<CheckedRow>& rows, std::ostream& out, PrintStyle style) {
  std::vector<std::string> titles = Titles(style);
  std::vector<size_t> widths;
  for (const std::string& title : titles) widths.push_back(title.size());
  for (const CheckedRow& row : rows) {
    auto fields = Fields(row, style);
    for (size_t i = 0; i < fields.size(); ++i) widths[i] = std::max(widths[i], fields[i].size());
  }
  auto line = [&](const std::vector<std::string>& fields, const char* colour) {
    if (colour) out << colour;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i + 1 == fields.size()) {
        out << fields[i];
      } else {
        out << std::left << std::setw(static_cast<int>(widths[i] + 2)) << fields[i];
      }
    }
    out << (colour ? kPlain : "") << "\n";
  };
  line(titles, nullptr);
  for (const CheckedRow& row : rows) {
    line(Fields(row, style), style.colour ? (Works(row) ? kGreen : kRed) : nullptr);
  }
}

}  // namespace

bool Wanted(const CheckedRow& row, const CheckOptions& options) {
  if (!options.countries.empty() && std::find(options.countries.begin(), options.countries.end(),
                                              row.country) == options.countries.end()) {
    return false;
  }
  if ((options.only_working || !options.min_level.empty()) && !Works(row)) return false;
  return options.min_level.empty() || AnonymityRank(row.level) >= AnonymityRank(options.min_level);
}

std::vector<CheckedRow> RowsToPrint(std::vector<CheckedRow> rows, const CheckOptions& options) {
  std::vector<CheckedRow> chosen = std::move(rows);
  chosen.erase(std::remove_if(chosen.begin(), chosen.end(),
                              [&](const CheckedRow& row) { return !Wanted(row, options); }),
               chosen.end());
  if (!options.sort_by.empty()) {
    bool by_fetch = options.sort_by == "fetch";
    auto key = [by_fetch](const CheckedRow& row) {
      if (!Works(row)) return 1e300;
      if (by_fetch) return row.fetch_ms < 0 ? 1e300 : double(row.fetch_ms);
      return IsNumeric(row.ping) ? LeadingNumber(row.ping) : 1e300;
    };
    std::stable_sort(chosen.begin(), chosen.end(),
                     [&](const CheckedRow& a, const CheckedRow& b) { return key(a) < key(b); });
  }
  return chosen;
}

void PrintRows(const std::vector<CheckedRow>& rows, OutputFormat format, std::ostream& out,
               PrintStyle style) {
  switch (format) {
    case OutputFormat::Csv:
      return PrintCsv(rows, out, style);
    case OutputFormat::Json:
      return PrintJson(rows, out);
    case OutputFormat::Jsonl:
      for (const CheckedRow& row : rows) PrintJsonLine(row, out);
      return;
    case OutputFormat::Table:
      return PrintTable(rows, out, style);
  }
}

void PrintJsonLine(const CheckedRow& row, std::ostream& out) {
  out << Dump(JsonOf(row), -1) << "\n" << std::flush;
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
