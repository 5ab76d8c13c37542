#include "proxylist/add_new.h"

#include <algorithm>

#include "app/error_report.h"
#include "core/encoding.h"
#include "core/text.h"
#include "net/socket_layer.h"
#include "proxylist/list_file.h"

namespace quillet {
namespace {

constexpr size_t kMaxTyped = 100;
constexpr long kListLineBars = 8;  // a whole list-file line has nine fields

// The cells of a new entry: an address with its reverse name, or a name with its address.
std::array<std::string, kColumnCount> NewEntryCells(ListWindow window, Resolver& resolver,
                                                    const std::string& entry) {
  std::string port = Trim(After(entry, ":"));
  std::string host = Trim(Before(entry, ":"));
  std::string address, name;
  if (LooksLikeAddress(host)) {
    address = host;
    name = AddressToName(resolver, window.ui, host);
  } else {
    name = host;
    address = NameToAddress(resolver, host);
  }
  if (!address.empty()) address += ":" + port;
  if (!name.empty()) name += ":" + port;
  std::array<std::string, kColumnCount> cells;
  cells[kColServerIp] = kServerIpIndent + address;
  cells[kColServerName] = name;
  return cells;
}

// A whole list-file line (nine fields or more): added as a load adds it, keeping the selection.
std::string AddListLine(ListWindow window, const std::string& line) {
  ParsedLine parsed = ParseProxyLine(line);
  if (!parsed.error.empty()) return parsed.error;
  ProxyList& list = window.list;
  CellRange kept = list.Selection();
  AppendParsedLine(list, parsed);
  list.SetCurrentRow(kept.top);
  list.SetCurrentCol(kept.left);
  list.SetSelectionEndRow(kept.bottom);
  list.SetSelectionEndCol(kept.right);
  return "";
}

// One typed entry: adds its row and answers empty text, or answers what to fix.
std::string AddEntry(ListWindow window, Resolver& resolver, std::string entry) {
  if (std::count(entry.begin(), entry.end(), '|') >= kListLineBars) {
    return AddListLine(window, entry);
  }
  // "socks5://host:port" adds a row of that protocol; the checks below apply to host:port.
  ProtocolPrefix prefix = SplitProtocolPrefix(entry);
  std::string host_port = prefix.found ? prefix.rest : entry;
  if (!prefix.problem.empty()) return "Cannot add " + entry + ": " + prefix.problem;
  if (host_port.find(':') == std::string::npos) return "Port number missing in " + entry;
  entry = ReplaceAll(entry, "|", "/");
  host_port = ReplaceAll(host_port, "|", "/");
  if (!IsNumeric(Trim(After(host_port, ":")))) return "Port not numeric in " + entry;
  auto cells = NewEntryCells(window, resolver, host_port);
  // A row that a save would write unreadably is refused now rather than lost at the next load.
  if (std::string problem = StoredLineProblem({cells.begin() + 1, cells.end()}); !problem.empty()) {
    return "Cannot add " + entry + ": " + problem;
  }
  int row = window.list.AddRow(cells);
  if (!prefix.protocol.empty()) window.list.SetProtocolAt(row, prefix.protocol);
  window.settings.ListDirty = true;
  return "";
}

}  // namespace

void AddNewCommand(ListWindow window, Resolver& resolver) {
  if (window.settings.AddingNew) {
    window.ui.ShowMessage(kAddNewBusyMessage, MessageIcon::Information);
    return;
  }
  window.settings.AddingNew = true;
  RunGuarded(
      window.ui, tags::kAddNew,
      [&] {
        std::string prompt = std::string("Add new proxy by\r\nname:port or IP:port\r\n(ex: ") +
                             kAddNewExample + ")\r\nSeveral at once: one a line";
        std::string typed;
        while (!(typed = window.ui.AskLines(prompt, typed)).empty()) {
          std::string problems, unread;
          for (const std::string& line : Split(ReplaceAll(typed, "\r", "\n"), "\n")) {
            std::string entry = LeftCharacters(Trim(line), kMaxTyped);
            if (entry.empty()) continue;
            std::string problem = AddEntry(window, resolver, entry);
            if (problem.empty()) continue;
            problems += (problems.empty() ? "" : "\r\n") + problem;
            unread += (unread.empty() ? "" : "\n") + Trim(line);
          }
          if (problems.empty()) break;
          window.ui.ShowMessage(problems, MessageIcon::Error);
          typed = unread;
        }
      },
      [&] { window.settings.AddingNew = false; });
  window.settings.AddingNew = false;
}

}  // namespace quillet
