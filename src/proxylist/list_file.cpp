#include "proxylist/list_file.h"

#include <exception>
#include <filesystem>
#include <optional>

#include "app/error_report.h"
#include "app/yielding_call.h"
#include "core/encoding.h"
#include "core/paths.h"
#include "core/text.h"
#include "proxylist/atomic_file.h"
#include "proxylist/list_fetcher.h"
#include "proxylist/row_painting.h"

namespace quillet {
namespace {

constexpr size_t kFieldCount = 9;
constexpr const char* kLineBreak = "\r\n";

// The first ":" must stand at position 5 or later (1-based).
constexpr size_t kFirstColonIndex = 4;

constexpr const char* kFormatError = "Error in Proxy List file:\n";

std::string FormatError(const std::string& line, const std::string& reason = "") {
  return kFormatError + QuotedAtMost(line, kQuotedCharacters) +
         (reason.empty() ? "" : "\n(" + reason + ")");
}

// A cell as the file stores it: no bar, tab or line break inside, no blanks around it.
std::string StoredCell(const std::string& text) {
  std::string cell = ReplaceAll(RemoveChar(text, '\t'), "|", "/");
  return Trim(ReplaceAll(ReplaceAll(cell, "\r", " "), "\n", " "));
}

// The next line of the text from `at` on (a line ends at CR LF, LF or CR); false at the end.
bool NextLine(std::string_view text, size_t& at, std::string_view& line) {
  if (at >= text.size()) return false;
  size_t end = text.find_first_of("\r\n", at);
  if (end == std::string_view::npos) end = text.size();
  line = text.substr(at, end - at);
  at = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);
  return true;
}

// The list file's bytes (or those of the page fetched for it) as text: UTF-8 when they are
// UTF-8, else Windows-1252, which the list remembers so that a save gives the same bytes back.
std::string ListText(ProxyList& list, const std::string& path, const std::string* fetched) {
  std::string bytes;
  if (fetched) {
    bytes = WebListText(*fetched);
  } else {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxListFileBytes) throw ListTooLarge{};
    bytes = ReadFileBytes(path, kMaxListFileBytes + 1);
    if (bytes.size() > kMaxListFileBytes) throw ListTooLarge{};
  }
  list.ListInWindows1252 = !IsValidUtf8(bytes);
  return list.ListInWindows1252 ? DecodeWindows1252(bytes) : bytes;
}

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

// The full form of a short-form line: "host:port" in Server IP for an address, else in Server Name.
std::string ExpandShortForm(const std::string& line) {
  return LooksLikeAddress(Before(line, ":")) ? line + "||||||||" : "|" + line + "|||||||";
}

// Why the text after "scheme://" is not a host, ":" and a port from 1 to 65535.
std::string HostPortProblem(const std::string& rest) {
  size_t colon = rest.find(':');
  std::string host = rest.substr(0, colon);
  if (colon == std::string::npos || host.empty() || host.find_first_of(" /") != std::string::npos) {
    return "host:port expected after \"://\"";
  }
  if (PortNumber(rest.substr(colon + 1)) == 0) {
    return "the port must be a number from 1 to 65535";
  }
  return "";
}

// A short-form line that names its protocol: the row of the plain short form after "://", with
// that protocol. A save writes it in the full form with the protocol as its tenth field.
ParsedLine ParseProtocolShortForm(const std::string& line, const ProtocolPrefix& prefix) {
  ParsedLine parsed;
  std::string problem = prefix.problem.empty() ? HostPortProblem(prefix.rest) : prefix.problem;
  if (problem.empty()) {
    parsed.fields = Split(ExpandShortForm(prefix.rest), "|");
    problem = StoredLineProblem(parsed.fields);
  }
  if (!problem.empty()) {
    parsed.fields.clear();
    parsed.error = FormatError(line, problem);
    return parsed;
  }
  parsed.protocol = prefix.protocol;
  return parsed;
}

}  // namespace

int AppendParsedLine(ProxyList& list, const ParsedLine& parsed) {
  AppendRow(list, parsed.fields);
  int row = list.LastRow();
  if (!parsed.protocol.empty()) list.SetProtocolAt(row, parsed.protocol);
  if (!parsed.credentials.empty()) list.SetCredentialsAt(row, parsed.credentials);
  PaintRowFromFields(list, parsed.fields);
  list.SetCurrentRow(row);
  list.SetText(row, kColType, RowType(parsed.fields[1], parsed.fields[4]));
  return row;
}

namespace {

// Selects TopRow and scrolls it to the top when it or its neighbours are out of view.
void ShowBrowserProxyRow(ProxyList& list) {
  int row = list.TopRow;
  if (row <= 0 || row > list.LastRow()) return;
  ColorGridRow(list, row, 0, 0);
  int after = row < list.LastRow() ? row + 1 : row;
  if (!list.RowIsVisible(after) || !list.RowIsVisible(row - 1)) list.SetFirstVisibleRow(row);
}

// Loads the lines into the list; answers the format error message, or empty text. `fields` ends
// as the fields of the last row loaded.
std::string LoadLines(ProxyList& list, std::string_view text, const std::string& http,
                      std::vector<std::string>& fields) {
  bool by_address = HttpFieldHoldsAddress(http);
  std::string_view line;
  for (size_t at = 0; NextLine(text, at, line);) {
    if (line.empty()) continue;
    if (line[0] == '\'' && line.size() <= kMaxListLineBytes) {
      list.ListHeader.append(line).append(kLineBreak);
      continue;
    }
    ParsedLine parsed = ParseProxyLine(std::string(line));
    if (!parsed.error.empty()) return parsed.error;
    int row = AppendParsedLine(list, parsed);
    MatchBrowserProxy(list, row, parsed.fields, http, by_address);
    fields = std::move(parsed.fields);
  }
  return "";
}

// How many proxy lines the text holds: the lines that are neither empty nor comments.
size_t CountProxyLines(std::string_view text) {
  size_t count = 0;
  std::string_view line;
  for (size_t at = 0; NextLine(text, at, line);) count += !line.empty() && line[0] != '\'';
  return count;
}

// What reading a list file found, in a list of its own, so that the window's list is never
// touched while the file is read.
struct LoadedList {
  ProxyList list;
  std::string error;  // the format error or the refusal to show
  std::vector<std::string> last_fields;
  std::exception_ptr failure;  // a failure to report under "F18" once the rows are taken
};

LoadedList ReadListFile(const std::string& path, const std::string* fetched,
                        const std::string& http, int visible_rows) {
  LoadedList loaded;
  loaded.list.SetVisibleRowCount(visible_rows);
  try {
    std::string text = ListText(loaded.list, path, fetched);
    loaded.list.ReserveRows(size_t(loaded.list.Rows()) + CountProxyLines(text));
    loaded.error = LoadLines(loaded.list, text, http, loaded.last_fields);
    if (loaded.error.empty()) ShowBrowserProxyRow(loaded.list);
  } catch (const ListTooLarge&) {
    loaded.error = "The list file '" + path + "' is larger than 1 GiB.";
  } catch (...) {
    loaded.failure = std::current_exception();
  }
  return loaded;
}

// A file this large is read on a worker thread while the window goes on handling its events;
// the rows are held meanwhile (RowsAreHeld). A smaller one is read at once.
constexpr uintmax_t kYieldingLoadBytes = uintmax_t{1} << 20;

LoadedList ReadListFileInTurn(ListWindow window, const std::string* fetched,
                              const std::string& http) {
  auto read = [path = window.settings.ListFile, fetched, http,
               visible = window.list.VisibleRowCount()] {
    return ReadListFile(path, fetched, http, visible);
  };
  std::error_code error;
  uintmax_t size =
      fetched ? fetched->size() : std::filesystem::file_size(window.settings.ListFile, error);
  if (error || size < kYieldingLoadBytes) return read();
  window.settings.Loading = true;
  try {
    LoadedList loaded = CallYielding(window.ui, read);
    window.settings.Loading = false;
    return loaded;
  } catch (...) {
    window.settings.Loading = false;
    throw;
  }
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
  std::string_view line;
  for (size_t at = 0; NextLine(bytes, at, line);) lines.emplace_back(line);
  return lines;
}

ProtocolPrefix SplitProtocolPrefix(const std::string& text) {
  ProtocolPrefix prefix;
  std::string trimmed = Trim(text);
  size_t mark = trimmed.find("://");
  if (mark == 0 || mark == std::string::npos) return prefix;
  std::string scheme = ToLower(trimmed.substr(0, mark));
  if (scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789+.-") != std::string::npos) {
    return prefix;  // not a scheme: the text is read as it always was
  }
  prefix.found = true;
  prefix.rest = trimmed.substr(mark + 3);
  if (IsProxyProtocol(scheme)) prefix.protocol = scheme;
  if (scheme != "http" && prefix.protocol.empty()) {
    prefix.problem = "unknown proxy protocol \"" + scheme + "\"";
  }
  return prefix;
}

std::string StoredLineProblem(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line += '|';  // appended apart: GCC 12 takes "|" + cell for an overlapping copy
    line += StoredCell(fields[i]);
  }
  if (!line.empty() && line[0] == '\'') return "a proxy line cannot begin with \"'\"";
  size_t colon = line.find(':');
  if (colon == std::string::npos || colon < kFirstColonIndex) {
    return "the address needs four characters before its \":\"";
  }
  return "";
}

ParsedLine ParseProxyLine(const std::string& raw) {
  ParsedLine parsed;
  if (raw.size() > kMaxListLineBytes) {
    parsed.error = FormatError(raw, "the line is longer than 65536 characters");
    return parsed;
  }
  std::string line = RemoveChar(raw, '\t');
  if (line.find('|') == std::string::npos) {
    ProtocolPrefix prefix = SplitProtocolPrefix(line);
    CredentialedAddress split = SplitCredentials(prefix.found ? prefix.rest : Trim(line));
    if (prefix.found || !split.credentials.empty()) {
      prefix.found = true;
      prefix.rest = split.address;
      parsed = ParseProtocolShortForm(line, prefix);
      if (parsed.error.empty()) parsed.credentials = split.credentials;
      return parsed;
    }
  }
  size_t colon = line.find(':');
  if (colon == std::string::npos || colon < kFirstColonIndex) {
    parsed.error = FormatError(line);
    return parsed;
  }
  if (line.find('|') == std::string::npos) line = ExpandShortForm(line);
  parsed.fields = Split(line, "|");
  if (parsed.fields.size() < kFieldCount) {
    parsed.fields.clear();
    parsed.error = FormatError(ReplaceAll(line, "|", "\t"));
    return parsed;
  }
  parsed.protocol = ProtocolField(parsed.fields);
  if (parsed.fields.size() > kFieldCount + 1) {
    parsed.credentials = CredentialsOfField(Trim(parsed.fields[kFieldCount + 1]));
  }
  parsed.fields.resize(kFieldCount);
  // Cells are kept as a save writes them, so that what was loaded loads again the same.
  for (std::string& field : parsed.fields) field = Trim(field);
  if (std::string problem = StoredLineProblem(parsed.fields); !problem.empty()) {
    parsed.fields.clear();
    parsed.error = FormatError(line, problem);
  }
  return parsed;
}

bool LoadList(ListWindow window, const ProxyFieldsView& proxy_fields) {
  ProxyList& list = window.list;
  std::string http = proxy_fields.Fields().servers[0];
  // A list from a web address is fetched first: when that fails, the list stays as it was.
  std::optional<std::string> fetched;
  if (IsWebAddress(window.settings.ListFile)) {
    FetchedList page = FetchListInTurn(window);
    if (!page.problem.empty()) {
      window.ui.ShowMessage(FetchFailureMessage(window.settings.ListFile, page.problem),
                            MessageIcon::Error);
      return false;
    }
    fetched = std::move(page.body);
  }
  {
    UpdateScope update(list);
    list.Reset();
    list.TopRow = 0;
    list.ListHeader.clear();
    list.FailColor = kSystemInactiveCaptionText;
    window.settings.ListDirty = false;
  }
  if (window.settings.ListFile.empty()) return true;
  window.ui.SetPointer(PointerShape::Busy);
  std::string error;
  bool loaded = RunGuarded(window.ui, tags::kLoadList, [&] {
    LoadedList found = ReadListFileInTurn(window, fetched ? &*fetched : nullptr, http);
    list.TakeLoaded(std::move(found.list));
    if (!found.last_fields.empty()) window.settings.Fields = std::move(found.last_fields);
    if (found.failure) std::rethrow_exception(found.failure);
    error = std::move(found.error);
  });
  if (!loaded) return true;
  window.ui.SetPointer(PointerShape::Default);
  if (!error.empty()) window.ui.ShowMessage(error, MessageIcon::Error);
  return true;
}

void WriteListFile(const ProxyList& list, std::ostream& out) {
  std::string text = list.ListHeader + kLineBreak;
  for (int row = 1; row <= list.LastRow(); ++row) {
    if (EqualsNoCase(Trim(list.Text(row, kColType)), "DEL")) continue;
    for (int col = 1; col < kColumnCount; ++col) {
      if (col > 1) text += '|';
      text += StoredCell(list.Text(row, col)) + '\t';
    }
    const ProxyRow& proxy = list.Row(row);
    if (!proxy.protocol().empty() || proxy.credentials) text += '|' + proxy.protocol() + '\t';
    if (proxy.credentials) text += '|' + CredentialsField(*proxy.credentials) + '\t';
    text += kLineBreak;
  }
  // Back to the list's own code page, unless a character has no place there or the bytes
  // would read back as UTF-8.
  std::string bytes;
  bool keep_code_page =
      list.ListInWindows1252 && EncodeWindows1252(text, bytes) && !IsValidUtf8(bytes);
  out << (keep_code_page ? bytes : text);
}

bool GridExport(ListWindow window) {
  // A list read from a web address is saved to a local file the user chooses, never back there.
  if (IsWebAddress(window.settings.ListFile) && !ChooseLocalListFile(window)) return false;
  window.ui.SetPointer(PointerShape::Busy);
  bool saved = RunGuarded(window.ui, tags::kGridExport, [&] {
    ReplaceFileContent(window.settings.ListFile,
                       [&](std::ostream& out) { WriteListFile(window.list, out); });
  });
  if (saved) window.ui.SetPointer(PointerShape::Default);
  return saved;
}

}  // namespace quillet
