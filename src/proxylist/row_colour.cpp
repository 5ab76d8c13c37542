#include "proxylist/row_colour.h"

#include <algorithm>

#include "app/error_report.h"
#include "core/text.h"

namespace quillet {
namespace {

// The text colours that are recorded under another number than the one painted.
int RecordedTextColor(int color) {
  if (color == 10) return 2;
  if (color == 8) return 0;
  return color;
}

}  // namespace

void BeginRowColoring(ListWindow window) {
  window.settings.GridRow = window.list.FirstSelectedRow();
  window.list.SetFillMode(FillMode::Repeat);
}

void EndRowColoring(ListWindow window) {
  window.list.SetFillMode(FillMode::Single);
}

std::string RecordedColCell(const std::string& old_col, int color, ColorTarget target) {
  if (color < 1) return "";
  bool has_back = old_col.find(';') != std::string::npos;
  if (target == ColorTarget::Text) {
    long long back = has_back ? LeadingWholeNumber(After(old_col, ";")) : kPaletteBrightWhite;
    return std::to_string(RecordedTextColor(color)) + ";" + std::to_string(back);
  }
  return (has_back ? Before(old_col, ";") : std::string()) + ";" + std::to_string(color);
}

void SetRowColor(ListWindow window, int color, ColorTarget target) {
  RunGuarded(window.ui, tags::kSetRowColor, [&] {
    ProxyList& list = window.list;
    int first = window.settings.GridRow;
    int count = int(window.settings.SelectedLines.size());
    int last = std::min(first + count - 1, list.LastRow());
    if (first < 1 || last < first) return;
    list.SetCurrentRow(first);
    list.SetCurrentCol(0);
    list.SetSelectionEndRow(last);
    list.SetSelectionEndCol(list.LastCol());
    if (color >= 1) {
      if (target == ColorTarget::Text) {
        list.SetCellForeColor(PaletteColor(color));
      } else {
        list.SetCellBackColor(PaletteColor(color));
      }
    } else {
      list.SetCellForeColor(PaletteColor(kPaletteBlack));
      list.SetCellBackColor(PaletteColor(kPaletteBrightWhite));
    }
    for (int row = first; row <= last; ++row) {
      list.SetText(row, kColCol, RecordedColCell(list.Text(row, kColCol), color, target));
      window.ui.ProcessPendingEvents();
    }
  });
}

void ColorButtonCommand(ListWindow window, int button, ColorTarget target) {
  SetRowColor(window, button + 8, target);
  window.settings.ListDirty = true;
}

void DefaultColorCommand(ListWindow window) {
  SetRowColor(window, -1, ColorTarget::Text);
  window.settings.ListDirty = true;
}

}  // namespace quillet
