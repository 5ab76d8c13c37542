#include "proxylist/resolve_rows.h"

#include "app/error_report.h"
#include "core/errors.h"
#include "core/text.h"
#include "net/socket_layer.h"

namespace quillet {
namespace {

// Scrolls so that `row` is on top when the row below it (row 0 after the last) is out of view.
void KeepInView(ProxyList& list, int row) {
  int below = row < list.LastRow() ? row + 1 : 0;
  if (!list.RowIsVisible(below)) list.SetFirstVisibleRow(row);
}

std::string Progress(int k, int count, const std::string& text) {
  return std::string(kAppTitle) + " resolve name/IP " + std::to_string(k) + " of " +
         std::to_string(count) + "     (" + text + ")";
}

// Looks up one row and writes the other address column when the look-up answers.
void ResolveRow(ListWindow window, Resolver& resolver, bool get_name, int row,
                const std::string& text) {
  if (text.find(':') == std::string::npos) {
    throw RunTimeError(kErrInvalidCall, "Invalid procedure call or argument");
  }
  std::string host = Trim(Before(text, ":"));
  std::string port = Trim(After(text, ":"));
  std::string found =
      get_name ? AddressToName(resolver, window.ui, host) : NameToAddress(resolver, host);
  if (found.empty()) return;
  if (get_name) {
    window.list.SetText(row, kColServerName, found + ":" + port);
  } else {
    window.list.SetText(row, kColServerIp, kServerIpIndent + found + ":" + port);
  }
}

}  // namespace

void ResolveRows(ListWindow window, Resolver& resolver, bool get_name, const CaptionSetter& caption,
                 const std::string& base_caption) {
  ProxyList& list = window.list;
  // While the run yields between rows, the row-moving commands are refused (RowsAreHeld), so
  // the row numbers taken here stay valid to the end.
  window.settings.Resolving = true;
  RunGuarded(window.ui, tags::kResolveRows, [&] {
    window.ui.SetPointer(PointerShape::Busy);
    int source = get_name ? kColServerIp : kColServerName;
    int first = list.FirstSelectedRow();
    int count = int(window.settings.SelectedLines.size());
    for (int k = 1; k <= count; ++k) {
      int row = first + k - 1;
      list.SetCurrentRow(row);
      list.SetCurrentCol(source);
      KeepInView(list, row);
      std::string text = Trim(list.Text(row, source));
      list.SetCurrentCol(0);
      list.SetSelectionEndCol(source);
      caption(Progress(k, count, text));
      if (!text.empty()) ResolveRow(window, resolver, get_name, row, text);
      window.ui.ProcessPendingEvents();
    }
    list.SetCurrentCol(0);
    caption(base_caption);
    window.settings.ListDirty = true;
    window.ui.SetPointer(PointerShape::Default);
  });
  window.settings.Resolving = false;
}

}  // namespace quillet
