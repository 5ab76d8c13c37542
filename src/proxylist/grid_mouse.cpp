#include "proxylist/grid_mouse.h"

#include <algorithm>

#include "app/error_report.h"
#include "core/text.h"
#include "proxylist/row_painting.h"

namespace quillet {
namespace {

// True when at least one selected row is in view. A selection scrolled wholly out of view (the
// last row after a load) counts as none, so no command acts on rows the user cannot see.
bool SelectionInView(const ProxyList& list) {
  CellRange range = list.Selection();
  int first = list.FirstVisibleRow();
  int last = first + list.VisibleRowCount() - 1;
  return range.bottom >= first && range.top <= last;
}

std::vector<std::string> SelectedLinesOf(const ProxyList& list) {
  if (!SelectionInView(list)) return {};
  std::string text = Trim(list.SelectedText());
  if (text.empty()) return {};
  return Split(text, "\r");
}

// A right press on the column titles: the column under the pointer over the rows to sort.
void SelectColumnForSort(ListWindow window, float x, float y) {
  ProxyList& list = window.list;
  GridCell cell = GridHitTest(list, x, y);
  window.settings.GridCol = cell.col;
  window.settings.GridRow = cell.row;
  if (list.LastRow() < 1) return;
  if (cell.col < 1) {  // right of every column: no column to sort, and the old block goes
    list.SetCurrentCol(0);
    return;
  }
  list.SetCurrentCol(cell.col);
  list.SetSelectionEndCol(cell.col);
  int count = int(window.settings.SelectedLines.size());
  if (count <= 1) {
    list.SetCurrentRow(1);
    list.SetSelectionEndRow(list.LastRow());
  } else {
    list.SetCurrentRow(list.TopRow > 0 ? list.TopRow : 1);
    list.SetSelectionEndRow(std::min(list.TopRow + count - 1, list.LastRow()));
  }
}

}  // namespace

Color RestingBackground(const ProxyList& list, int row) {
  const std::string& col = list.Text(row, kColCol);
  if (col.find(';') != std::string::npos) return PaletteColor(ParseColCell(col).back);
  if (!EqualsNoCase(list.Text(row, kColStatus), "OK")) return list.FailColor;
  return PaletteColor(kPaletteBrightWhite);
}

void OfferToCancelVerification(ListWindow window) {
  MessageAnswer answer =
      window.ui.ShowMessage("Cancel verification? ", MessageIcon::Question, MessageButtons::YesNo);
  if (answer == MessageAnswer::Yes) CancelVerification(window);
}

void CancelVerification(ListWindow window) {
  ProxyList& list = window.list;
  int count = int(window.settings.SelectedLines.size());
  list.SetCurrentRow(std::clamp(window.settings.GridRow - 1, 0, list.LastRow()));
  for (int index = list.TopRow; index <= count - 2; ++index) {
    int row = list.CurrentRow() + 1;
    if (row > list.LastRow()) break;
    list.SetCurrentRow(row);
    Color back = RestingBackground(list, row);
    for (int col = 0; col < kColumnCount; ++col) list.SetCellBackColorAt(row, col, back);
  }
  list.SetFillMode(FillMode::Single);
  window.settings.Verifying = false;
  window.ui.SetPointer(PointerShape::Default);
  list.TopRow = count;
}

MouseOutcome GridMouseDown(ListWindow window, MouseButton button, float x, float y) {
  MouseOutcome outcome = MouseOutcome::Nothing;
  if (window.settings.ListFile.empty()) return outcome;
  RunGuarded(window.ui, tags::kGridMouse, [&] {
    ProxyList& list = window.list;
    if (window.settings.Verifying) {
      OfferToCancelVerification(window);
      return;
    }
    list.MouseX = x;
    list.MouseY = y;
    if (button != MouseButton::Right) return;
    window.settings.SelectedLines = SelectedLinesOf(list);
    list.TopRow = list.FirstSelectedRow();
    if (y < list.RowHeight(list.CurrentRow())) {
      SelectColumnForSort(window, x, y);
      outcome = MouseOutcome::ShowPopupMenu;
      return;
    }
    if (window.settings.SelectedLines.empty()) {
      window.ui.ShowMessage("Please select one or more lines from the list",
                            MessageIcon::Information);
      return;
    }
    if (window.settings.SelectedLines.size() == 1) list.TopRow = 0;
    outcome = MouseOutcome::ShowPopupMenu;
  });
  return outcome;
}

void GridDoubleClick(ListWindow window, ProxyFieldsView& proxy_fields) {
  if (window.settings.ListFile.empty()) return;
  RunGuarded(window.ui, tags::kUseCellAsProxy, [&] {
    GridCell cell = GridHitTest(window.list, window.list.MouseX, window.list.MouseY);
    window.settings.GridCol = cell.col;
    window.settings.GridRow = cell.row;
    UseCellAsProxy(window.list, window.settings, proxy_fields, proxy_fields.Fields().protocol);
  });
}

}  // namespace quillet
