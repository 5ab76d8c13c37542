#include "verify/parallel_verify.h"

#include <algorithm>

#include "app/error_report.h"
#include "core/text.h"
#include "proxylist/grid_mouse.h"
#include "proxylist/row_painting.h"
#include "verify/background_run.h"

namespace quillet {
namespace {

// How long the window's thread waits for a finished row before it handles its events again.
constexpr int kYieldMs = 15;

// The rows of a run: line i of SelectedLines is grid row first + i.
struct RunRows {
  int first = 0;
  int count = 0;
  std::vector<bool> finished;
  int finished_count = 0;
};

// After a cancel: the rows whose check was dropped or never started lose their mark.
void RestoreUnfinished(ProxyList& list, const RunRows& rows) {
  for (int i = 0; i < rows.count; ++i) {
    int row = rows.first + i;
    if (rows.finished[static_cast<size_t>(i)] || row > list.LastRow()) continue;
    Color back = RestingBackground(list, row);
    for (int col = 0; col < kColumnCount; ++col) list.SetCellBackColorAt(row, col, back);
  }
}

void EndRun(ListWindow window, VerifyServices& services, const RunRows& rows) {
  ProxyList& list = window.list;
  window.ui.SetPointer(PointerShape::Default);
  list.SetFillMode(FillMode::Single);
  if (rows.count > 1) {
    int row = std::min(rows.first + rows.count, list.LastRow());
    list.SetCurrentRow(row);
    list.SetCurrentCol(kColHidden);
    list.SetSelectionEndRow(row);
    list.SetSelectionEndCol(kColCol);
  }
  services.set_caption(services.base_caption);
  window.settings.ListDirty = true;
  window.settings.Verifying = false;
}

void Finish(ListWindow window, VerifyServices& services, RunRows& rows, RowDone& done,
            const std::vector<std::string>& cells) {
  done.outcome.messages.ReplayOn(window.ui);
  if (done.outcome.failure) std::rethrow_exception(done.outcome.failure);
  rows.finished[done.index] = true;
  ++rows.finished_count;
  WriteOutcome(window, rows.first + static_cast<int>(done.index), done.outcome,
               services.now_text());
  services.set_caption(ScanCaption(rows.finished_count, rows.count, ShownAddress(cells)));
}

void RunInParallel(ListWindow window, VerifyServices& services, ParallelBackend& backend,
                   int parallel) {
  ProxyList& list = window.list;
  window.ui.SetPointer(PointerShape::Busy);
  RunRows rows;
  rows.first = list.FirstSelectedRow();
  rows.count = static_cast<int>(window.settings.SelectedLines.size());
  rows.finished.assign(static_cast<size_t>(rows.count), false);
  list.SetFillMode(FillMode::Repeat);
  list.SetCellBackColor(kMarkColor);
  window.settings.Verifying = true;

  std::string limit_message;
  int jobs = FitJobsToOpenFiles(backend, parallel, limit_message);
  if (!limit_message.empty()) window.ui.ShowMessage(limit_message, MessageIcon::Exclamation);
  std::vector<std::vector<std::string>> lines;
  BackgroundRun::Rows work;
  for (const std::string& line : window.settings.SelectedLines) {
    lines.push_back(Split(line, "\t"));
    if (lines.back().size() < 2) {
      rows.finished[lines.size() - 1] = true;  // nothing to check, nothing to write
      ++rows.finished_count;
    } else {
      work.emplace_back(lines.size() - 1, lines.back());
    }
  }
  BackgroundRun run(backend, ProbeSettings::From(window.settings), jobs, std::move(work));
  while (rows.finished_count < rows.count) {
    for (RowDone& done : run.Take(kYieldMs))
      Finish(window, services, rows, done, lines[done.index]);
    // The grid's cancel handler restores rows after TopRow; this run restores its own.
    list.TopRow = static_cast<int16_t>(rows.count - 1);
    window.ui.ProcessPendingEvents();
    if (!window.settings.Verifying) {
      run.Cancel();
      RestoreUnfinished(list, rows);
      break;
    }
  }
  list.TopRow = static_cast<int16_t>(rows.count);
  EndRun(window, services, rows);
}

}  // namespace

void VerifyRows(ListWindow window, VerifyServices& services, ParallelBackend* backend,
                int parallel) {
  if (!backend || parallel <= 1) {
    VerifyCommand(window, services);
    return;
  }
  bool completed = RunGuarded(window.ui, tags::kVerify,
                              [&] { RunInParallel(window, services, *backend, parallel); });
  if (!completed) window.settings.Verifying = false;
}

}  // namespace quillet
