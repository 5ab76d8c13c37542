#include "proxylist/list_file.h"

#include "app/error_report.h"
#include "core/paths.h"
#include "core/text.h"
#include "proxylist/atomic_file.h"
#include "proxylist/row_painting.h"

namespace quillet {
namespace {

constexpr size_t kFieldCount = 9;
constexpr const char* kLineBreak = "\r\n";

// The first ":" must stand at position 5 or later (1-based).
constexpr size_t kFirstColonIndex = 4;

bool HttpFieldHoldsAddress(const std::string& http) {
  return IsNumeric(ReplaceAll(ReplaceAll(http, ".", "0"), ":", "0"));
}

// Marks the row whose address or name is the proxy the browser uses now.
void MatchBrowserProxy(ProxyList& list, int row, const std::vector<std::string>& fields,
                       const std::string& http, bool by_address) {
  if (http.empty()) return;  // no proxy in use: nothing to mark
  const std::string& cell = by_address ? fields[0] : fields[1];
  if (EqualsNoCase(Trim(cell), http)) list.TopRow = row;
}

void AppendRow(ProxyList& list, const std::vector<std::string>& fields) {
  std::array<std::string, kColumnCount> cells;
  cells[kColServerIp] = kServerIpIndent + fields[0];
  for (size_t i = 1; i < kFieldCount; ++i) cells[i + 1] = fields[i];
  list.AddRow(cells);
}

// The protocol a tenth field names; anything else there is ignored, as fields after the ninth
// always were.
std::string ProtocolField(const std::vector<std::string>& fields) {
  if (fields.size() <= kFieldCount) return "";
  std::string word = ToLower(Trim(fields[kFieldCount]));
  return IsProxyProtocol(word) ? word : "";
}

// Selects TopRow and scrolls it to the top when it or its neighbours are out of view.
void ShowBrowserProxyRow(ProxyList& list) {
  int row = list.TopRow;
  if (row <= 0 || row > list.LastRow()) return;
  ColorGridRow(list, row, 0, 0);
  int after = row < list.LastRow() ? row + 1 : row;
  if (!list.RowIsVisible(after) || !list.RowIsVisible(row - 1)) list.SetFirstVisibleRow(row);
}

// Loads the lines into the list; answers the format error message, or empty text.
std::string LoadLines(ListWindow window, const std::vector<std::string>& lines,
                      const std::string& http) {
  ProxyList& list = window.list;
  bool by_address = HttpFieldHoldsAddress(http);
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (line[0] == '\'') {
      list.ListHeader += line + kLineBreak;
      continue;
    }
    ParsedLine parsed = ParseProxyLine(line);
    if (!parsed.error.empty()) return parsed.error;
    AppendRow(list, parsed.fields);
    int row = list.LastRow();
    if (!parsed.protocol.empty()) list.SetProtocolAt(row, parsed.protocol);
    MatchBrowserProxy(list, row, parsed.fields, http, by_address);
    window.settings.Fields = parsed.fields;
    PaintRowFromFields(list, parsed.fields);
    list.SetCurrentRow(row);
    list.SetText(row, kColType, RowType(parsed.fields[1], parsed.fields[4]));
  }
  return "";
}

// Ends a list update when it goes out of scope, also on a failure.
class UpdateScope {
 public:
  explicit UpdateScope(ProxyList& list) : list_(list) { list_.BeginUpdate(); }
  ~UpdateScope() { list_.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  ProxyList& list_;
};

}  // namespace

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start =
        end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

ParsedLine ParseProxyLine(const std::string& raw) {
  ParsedLine parsed;
  std::string line = RemoveChar(raw, '\t');
  size_t colon = line.find(':');
  if (colon == std::string::npos || colon < kFirstColonIndex) {
    parsed.error = "Error in Proxy List file:\n" + line;
    return parsed;
  }
  if (line.find('|') == std::string::npos) {
    line = LooksLikeAddress(Before(line, ":")) ? line + "||||||||" : "|" + line + "|||||||";
  }
  parsed.fields = Split(line, "|");
  if (parsed.fields.size() < kFieldCount) {
    parsed.fields.clear();
    parsed.error = "Error in Proxy List file:\n" + ReplaceAll(line, "|", "\t");
    return parsed;
  }
  parsed.protocol = ProtocolField(parsed.fields);
  parsed.fields.resize(kFieldCount);
  return parsed;
}

void LoadList(ListWindow window, const ProxyFieldsView& proxy_fields) {
  ProxyList& list = window.list;
  std::string http = proxy_fields.Fields().servers[0];
  {
    UpdateScope update(list);
    list.Reset();
    list.TopRow = 0;
    list.ListHeader.clear();
    list.FailColor = kSystemInactiveCaptionText;
    window.settings.ListDirty = false;
  }
  if (window.settings.ListFile.empty()) return;
  window.ui.SetPointer(PointerShape::Busy);
  std::string error;
  bool loaded = RunGuarded(window.ui, tags::kLoadList, [&] {
    std::vector<std::string> lines = SplitLines(ReadFileBytes(window.settings.ListFile));
    UpdateScope update(list);
    error = LoadLines(window, lines, http);
    if (error.empty()) ShowBrowserProxyRow(list);
  });
  if (!loaded) return;
  window.ui.SetPointer(PointerShape::Default);
  if (!error.empty()) window.ui.ShowMessage(error, MessageIcon::Error);
}

void WriteListFile(const ProxyList& list, std::ostream& out) {
  out << list.ListHeader << kLineBreak;
  for (int row = 1; row <= list.LastRow(); ++row) {
    if (EqualsNoCase(Trim(list.Text(row, kColType)), "DEL")) continue;
    for (int col = 1; col < kColumnCount; ++col) {
      if (col > 1) out << '|';
      out << Trim(list.Text(row, col)) << '\t';
    }
    if (!list.Row(row).protocol.empty()) out << '|' << list.Row(row).protocol << '\t';
    out << kLineBreak;
  }
}

bool GridExport(ListWindow window) {
  window.ui.SetPointer(PointerShape::Busy);
  bool saved = RunGuarded(window.ui, tags::kGridExport, [&] {
    ReplaceFileContent(window.settings.ListFile,
                       [&](std::ostream& out) { WriteListFile(window.list, out); });
  });
  if (saved) window.ui.SetPointer(PointerShape::Default);
  return saved;
}

bool ConfirmSaveList(ListWindow window) {
  if (!window.settings.ListDirty) return true;
  MessageAnswer answer = window.ui.ShowMessage("Do you want to save your list changes?",
                                               MessageIcon::None, MessageButtons::YesNoCancel);
  if (answer == MessageAnswer::Cancel) return false;
  if (answer == MessageAnswer::Yes && !GridExport(window)) return false;
  window.settings.ListDirty = false;
  return true;
}

void SaveListCommand(ListWindow window) {
  if (GridExport(window)) window.settings.ListDirty = false;
}

ReloadOutcome ReloadCommand(ListWindow window, const SettingsStore& store,
                            const std::string& program_dir, const ProxyFieldsView& proxy_fields) {
  ReloadOutcome outcome = ReloadOutcome::Stayed;
  RunGuarded(window.ui, tags::kReloadList, [&] {
    if (!ConfirmSaveList(window)) return;
    std::string path = WithDefaultFolder(program_dir, store.Read(keys::kListFile, ""));
    if (!FileExists(path)) {
      window.ui.ShowMessage("Required List File '" + path + "' is missing", MessageIcon::Error);
      outcome = ReloadOutcome::EndProgram;
      return;
    }
    window.settings.ListFile = path;
    LoadList(window, proxy_fields);
    outcome = ReloadOutcome::Loaded;
  });
  return outcome;
}

void EditListCommand(ListWindow window, DocumentLauncher& launcher) {
  RunGuarded(window.ui, tags::kEditList, [&] {
    std::string path = window.settings.ListFile;
    launcher.LaunchDocument("", path, 1);
  });
}

}  // namespace quillet
