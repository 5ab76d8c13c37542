#include "verify/verify_command.h"

#include <algorithm>

#include "app/error_report.h"
#include "core/text.h"
#include "proxylist/row_painting.h"

namespace quillet {
namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

void SelectWholeRow(ProxyList& list, int row) {
  list.SetCurrentRow(row);
  list.SetCurrentCol(kColHidden);
  list.SetSelectionEndRow(row);
  list.SetSelectionEndCol(kColCol);
}

// Marks the row under test and makes sure the row after it can be seen.
void ShowRowUnderTest(ProxyList& list, int row) {
  list.SetCurrentRow(row);
  list.SetCurrentCol(kColServerIp);
  list.SetCellPictureAt(row, kColServerIp, CellPicture::Arrow);
  int next = row + 1 > list.LastRow() ? 0 : row + 1;
  if (!list.RowIsVisible(next)) list.SetFirstVisibleRow(row);
}

Color TextColor(const std::string& col) {
  return col.empty() ? kBlack : PaletteColor(ParseColCell(col).fore);
}

Color AnsweredBackground(const std::string& col) {
  ColIndices indices = ParseColCell(col);
  return PaletteColor(indices.has_back ? indices.back : kPaletteBrightWhite);
}

// One line of the selection. The row's grid number moves on before the check is waited for,
// so that a cancel arriving during the wait restores exactly the rows after this one.
void VerifyLine(ListWindow window, VerifyServices& services, const ProbeSettings& probe,
                int count) {
  ProxyList& list = window.list;
  std::vector<std::string> cells =
      Split(window.settings.SelectedLines[static_cast<size_t>(list.TopRow)], "\t");
  if (cells.size() < 2) return;
  services.set_caption(ScanCaption(list.TopRow + 1, count, ShownAddress(cells)));
  int row = window.settings.GridRow;
  ShowRowUnderTest(list, row);
  SelectWholeRow(list, row);
  window.settings.GridRow = static_cast<int16_t>(row + 1);
  RowCheckOutcome outcome =
      services.runner.Run([&] { return CheckRow(cells, probe, services.checks); });
  outcome.messages.ReplayOn(window.ui);
  if (outcome.failure) std::rethrow_exception(outcome.failure);
  WriteOutcome(window, row, outcome, services.now_text());
}

void FinishRun(ListWindow window, VerifyServices& services, int count) {
  ProxyList& list = window.list;
  window.ui.SetPointer(PointerShape::Default);
  list.SetFillMode(FillMode::Single);
  if (count > 1) SelectWholeRow(list, std::min(list.CurrentRow() + 1, list.LastRow()));
  services.set_caption(services.base_caption);
  window.settings.ListDirty = true;
  window.settings.Verifying = false;
}

}  // namespace

std::string ScanCaption(int index, int count, const std::string& shown) {
  return std::string(kAppTitle) + " scan " + std::to_string(index) + " of " +
         std::to_string(count) + "    (" + shown + ")";
}

void VerifyCommand(ListWindow window, VerifyServices& services) {
  bool completed = RunGuarded(window.ui, tags::kVerify, [&] {
    ProxyList& list = window.list;
    window.ui.SetPointer(PointerShape::Busy);
    window.settings.GridRow = static_cast<int16_t>(list.FirstSelectedRow());
    list.SetFillMode(FillMode::Repeat);
    list.SetCellBackColor(kMarkColor);
    int count = static_cast<int>(window.settings.SelectedLines.size());
    window.settings.Verifying = true;
    list.TopRow = 0;
    ProbeSettings probe = ProbeSettings::From(window.settings);
    while (list.TopRow < count) {
      VerifyLine(window, services, probe, count);
      window.ui.ProcessPendingEvents();
      if (list.TopRow != count) ++list.TopRow;
    }
    FinishRun(window, services, count);
  });
  if (!completed) window.settings.Verifying = false;
}

std::string ShownAddress(const std::vector<std::string>& cells) {
  std::string shown = Trim(cells[kColServerIp]);
  if (shown.empty() && cells.size() > kColServerName) shown = cells[kColServerName];
  return shown;
}

void WriteOutcome(ListWindow window, int row, const RowCheckOutcome& outcome,
                  const std::string& now) {
  ProxyList& list = window.list;
  std::string col = Trim(list.Text(row, kColCol));
  Color back = list.FailColor;
  if (outcome.answered) back = AnsweredBackground(col);
  list.SetCellPictureAt(row, kColServerIp, outcome.icon);
  list.SetText(row, kColStatus, outcome.status);
  list.SetText(row, kColSecure, outcome.secure);
  list.SetText(row, kColPing, outcome.ping);
  list.SetText(row, kColVerified, now);
  ColorGridRow(list, row, TextColor(col), back);
}

}  // namespace quillet
