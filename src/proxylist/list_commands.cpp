#include "proxylist/list_commands.h"

#include <algorithm>

#include "app/error_report.h"
#include "core/encoding.h"
#include "core/text.h"
#include "net/socket_layer.h"
#include "proxylist/list_file.h"
#include "proxylist/row_painting.h"

namespace quillet {
namespace {

constexpr size_t kMaxTyped = 100;

// The selected rows that exist: first selected row and one past the last.
std::pair<int, int> SelectedRows(const ListWindow& window) {
  int first = window.list.FirstSelectedRow();
  int count = int(window.settings.SelectedLines.size());
  return {first, std::min(first + count, window.list.Rows())};
}

void DeleteRowsWhere(ListWindow window, int column, bool (*matches)(const std::string&)) {
  if (window.settings.Verifying) return;
  ProxyList& list = window.list;
  int removed = list.RemoveRowsIf(
      1, [column, matches](const ProxyRow& row) { return matches(row.cells[size_t(column)]); });
  if (removed > 0) window.settings.ListDirty = true;
  // The scan ends past the last row, which is where the current row stays.
  if (list.LastRow() >= 1) list.SetCurrentRow(list.LastRow());
}

// Sort keys: the numeric columns order by value (Server IP by address, then port), and empty or
// unreadable cells go last in either direction; so do the empty cells of an extra column.
struct SortKey {
  bool missing = false;
  bool by_text = false;
  double first = 0;
  double second = 0;
  std::string text;
};

SortKey Missing() {
  SortKey key;
  key.missing = true;
  return key;
}

SortKey AddressKey(const std::string& cell) {
  std::string text = Trim(cell);
  std::vector<std::string> parts = Split(Before(text, ":"), ".");
  SortKey key;
  if (text.empty() || parts.size() != 4) return Missing();
  for (const std::string& part : parts) {
    if (!IsNumeric(part)) return Missing();
    key.first = key.first * 256 + LeadingNumber(part);
  }
  key.second = LeadingNumber(After(text, ":"));
  return key;
}

SortKey KeyOf(const std::string& cell, int column, const ExtraColumn* extra) {
  if (column == kColServerIp) return AddressKey(cell);
  SortKey key;
  if (extra ? extra->numeric : column == kColPing || column == kColCol) {
    std::string text = Trim(cell);
    key.missing = text.empty();
    key.first = LeadingNumber(text);
    return key;
  }
  key.by_text = true;
  key.missing = extra && cell.empty();
  key.text = cell;
  return key;
}

int CompareKeys(const SortKey& a, const SortKey& b) {
  if (a.by_text) {
    if (int compared = CompareNoCase(a.text, b.text)) return compared;
  }
  if (a.first != b.first) return a.first < b.first ? -1 : 1;
  if (a.second != b.second) return a.second < b.second ? -1 : 1;
  return 0;
}

void SortRows(ProxyList& list, int first, int last, int column, bool ascending) {
  if (first < 1 || last <= first) return;
  std::vector<SortKey> keys;
  keys.reserve(size_t(last - first + 1));
  for (int row = first; row <= last; ++row) {
    keys.push_back(KeyOf(list.Text(row, column), column, list.Extra(column)));
    // Equal Secure cells fall in order of the anonymity level the last check found.
    if (column == kColSecure) keys.back().second = list.Row(row).anonymity_rank;
  }
  std::vector<size_t> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (keys[a].missing != keys[b].missing) return keys[b].missing;
    int compared = CompareKeys(keys[a], keys[b]);
    return ascending ? compared < 0 : compared > 0;
  });
  list.PermuteRows(first, order);
}

}  // namespace

bool RowsAreHeld(ListWindow window) {
  if (window.settings.Loading) {
    window.ui.ShowMessage(kListLoadingMessage, MessageIcon::Information);
    return true;
  }
  if (!window.settings.Verifying && !window.settings.Resolving) return false;
  window.ui.ShowMessage(kRowsBusyMessage, MessageIcon::Information);
  return true;
}

void EditCommentCommand(ListWindow window) {
  auto [first, end] = SelectedRows(window);
  for (int row = first; row < end; ++row) {
    if (row < 1) continue;
    window.list.SetCurrentRow(row);
    const std::string server = window.list.Text(row, kColServerIp);
    const std::string old_comment = window.list.Text(row, kColComment);
    std::string answer = LeftCharacters(
        window.ui.AskText("Edit comment for " + server + "\r\n(delete by entering one space)",
                          old_comment),
        kMaxTyped);
    if (answer.empty() || EqualsNoCase(answer, old_comment)) continue;
    window.settings.ListDirty = true;
    window.list.SetText(row, kColComment, Trim(ReplaceAll(answer, "|", "/")));
  }
}

void DeleteCommand(ListWindow window) {
  auto [first, end] = SelectedRows(window);
  first = std::max(first, 1);
  if (first < end) window.list.RemoveRows(first, end - 1);
  window.settings.ListDirty = true;
  window.list.SetCurrentRow(window.list.SelectionEndRow());
}

void DeleteNonRespondingCommand(ListWindow window) {
  DeleteRowsWhere(window, kColStatus,
                  [](const std::string& status) { return !EqualsNoCase(status, "OK"); });
}

void DeleteNonAnonymousCommand(ListWindow window) {
  DeleteRowsWhere(window, kColSecure,
                  [](const std::string& secure) { return EqualsNoCase(secure, "N"); });
}

void CopyCellCommand(ListWindow window) {
  ProxyList& list = window.list;
  GridCell cell = GridHitTest(list, list.MouseX, list.MouseY);
  window.settings.GridCol = cell.col;
  window.settings.GridRow = cell.row;
  if (cell.col < 0) return;  // the press was right of every column
  list.SetCurrentCol(cell.col);
  window.ui.SetClipboardText(Trim(list.Text(list.CurrentRow(), cell.col)));
}

void SortByColumn(ListWindow window, bool ascending) {
  ProxyList& list = window.list;
  if (!(list.MouseY < list.RowHeight(list.CurrentRow()))) {
    window.ui.ShowMessage("Right-click on a column title to sort", MessageIcon::Information);
    return;
  }
  CellRange rows = list.Selection();
  int column = list.SelectionEndCol();
  if (column < 1) return;  // the title click was right of every column
  SortRows(list, std::max(rows.top, 1), rows.bottom, column, ascending);
  window.settings.ListDirty = true;
}

}  // namespace quillet
