#include "verify/verify_command.h"

#include <algorithm>
#include <chrono>

#include "app/error_report.h"
#include "app/main_window_texts.h"
#include "core/text.h"
#include "proxylist/grid_mouse.h"
#include "proxylist/row_painting.h"
#include "verify/background_run.h"

namespace quillet {
namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

// The most one turn of the run keeps the window busy; what is left waits for the next turn, so
// the window answers a click soon even while a thousand rows end at once.
constexpr auto kTurnBudget = std::chrono::milliseconds(8);

void SelectWholeRow(ProxyList& list, int row) {
  list.SetCurrentRow(row);
  list.SetCurrentCol(kColHidden);
  list.SetSelectionEndRow(row);
  list.SetSelectionEndCol(list.LastCol());
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

std::string CellOf(const std::vector<std::string>& cells, size_t col) {
  return col < cells.size() ? Trim(cells[col]) : "";
}

}  // namespace

VerifyRun::VerifyRun(ListWindow window, VerifyServices services, int jobs)
    : window_(window), services_(std::move(services)) {
  auto stop = [&] { window_.settings.Verifying = false; };
  if (!RunGuarded(
          window_.ui, tags::kVerify, [&] { Start(jobs); }, stop))
    over_ = true;
}

VerifyRun::~VerifyRun() = default;

// Line i of the selection belongs to the grid rows from the first selected one on, in order; a
// line too short to check is skipped and takes no row. Lines after the first one whose check
// fails at once are never started, so the rows written before the failure are the same however
// many rows run at once.
void VerifyRun::Start(int jobs) {
  ProxyList& list = window_.list;
  window_.ui.SetPointer(PointerShape::Busy);
  int row = list.FirstSelectedRow();
  window_.settings.GridRow = row;
  list.SetFillMode(FillMode::Repeat);
  list.SetCellBackColor(kMarkColor);
  window_.settings.Verifying = true;
  std::string limit_message;
  jobs_ = FitJobsToOpenFiles(services_.backend, jobs, limit_message);
  if (!limit_message.empty()) window_.ui.ShowMessage(limit_message, MessageIcon::Exclamation);

  bool failing_seen = false;
  for (const std::string& text : window_.settings.SelectedLines) {
    Line line{Split(text, "\t")};
    // A check reads the ten file cells; the extra columns' text is no part of the proxy.
    if (line.cells.size() > kColumnCount) line.cells.resize(kColumnCount);
    if (LineIsCheckable(line.cells)) {
      line.row = row++;
      // The row's protocol and credentials go with its cells (a line past the last row has
      // none).
      if (line.row <= list.LastRow()) AppendCheckExtras(list.Row(line.row), line.cells);
      line.queued = !failing_seen;
      failing_seen = failing_seen || LineFailsAtOnce(line.cells);
    }
    queued_ += line.queued;
    lines_.push_back(std::move(line));
  }
  if (services_.progress) services_.progress(0, queued_);
  // The grid's cancel handler restores the rows after TopRow; this run restores its own.
  list.TopRow = static_cast<int32_t>(lines_.size()) - 1;
  bool visit_first = NeedsPublicAddress(window_.settings);
  if (visit_first) services_.set_caption(PublicAddressCaption(window_.settings));
  int engines = EnginesFor(services_.backend, window_.settings.Threads, jobs_);
  BackgroundRun::Rows work = NextWork(2 * static_cast<size_t>(jobs_));
  run_ = std::make_unique<BackgroundRun>(services_.backend, ProbeSettings::From(window_.settings),
                                         jobs_, std::move(work), visit_first, engines,
                                         next_work_ < lines_.size());
}

// The next `count` queued lines' cells for the run: a long selection is copied a little ahead
// of the checks, not whole before the first one starts.
BackgroundRun::Rows VerifyRun::NextWork(size_t count) {
  BackgroundRun::Rows work;
  for (; next_work_ < lines_.size() && work.size() < count; ++next_work_) {
    if (lines_[next_work_].queued) work.emplace_back(next_work_, lines_[next_work_].cells);
  }
  while (next_work_ < lines_.size() && !lines_[next_work_].queued) ++next_work_;
  return work;
}

void VerifyRun::TopUp() {
  if (next_work_ >= lines_.size() || run_->Queued() >= static_cast<size_t>(jobs_)) return;
  run_->Append(NextWork(static_cast<size_t>(jobs_)));
  if (next_work_ >= lines_.size()) run_->Close();
}

bool VerifyRun::Pump(int wait_ms) {
  if (over_) return false;
  if (pumping_) return true;
  pumping_ = true;
  auto stop = [&] { window_.settings.Verifying = false; };
  bool completed = RunGuarded(
      window_.ui, tags::kVerify,
      [&] {
        TopUp();
        for (RowEvent& event : run_->Take(to_show_.empty() ? wait_ms : 0)) {
          to_show_.push_back(std::move(event));
        }
        if (std::optional<DirectVisit> visit = run_->TakeVisit()) TakePublicAddressFrom(*visit);
        auto turn_ends = std::chrono::steady_clock::now() + kTurnBudget;
        while (!to_show_.empty() && window_.settings.Verifying &&
               std::chrono::steady_clock::now() < turn_ends) {
          RowEvent event = std::move(to_show_.front());
          to_show_.pop_front();
          Show(event);
        }
        if (!window_.settings.Verifying) return Cancel();
        if (std::exception_ptr failure = run_->Failure()) std::rethrow_exception(failure);
        if (finished_ < queued_ || !to_show_.empty()) return;
        if (failure_) std::rethrow_exception(failure_);
        Finish();
      },
      stop);
  pumping_ = false;
  if (!completed) over_ = true;
  if (over_) run_.reset();
  return !over_;
}

// The title shows the address the judge saw; when it saw none, the user hears why once for this
// test page, after the run: a message box now would hold back the results.
void VerifyRun::TakePublicAddressFrom(const DirectVisit& visit) {
  notice_ = TakePublicAddress(window_.settings, visit);
  services_.base_caption = BaseCaption(ShownOwnAddress(window_.settings));
  if (services_.base_caption_changed) services_.base_caption_changed(services_.base_caption);
}

void VerifyRun::Show(RowEvent& event) {
  Line& line = lines_[event.index];
  if (event.started) {
    ShowStarted(line, event.index);
  } else {
    ShowFinished(line, event);
  }
}

void VerifyRun::ShowStarted(const Line& line, size_t index) {
  ProxyList& list = window_.list;
  if (jobs_ > 1) return list.SetCellPictureAt(line.row, kColServerIp, CellPicture::Arrow);
  services_.set_caption(ScanCaption(static_cast<int>(index) + 1, static_cast<int>(lines_.size()),
                                    ShownAddress(line.cells)));
  ShowRowUnderTest(list, line.row);
  SelectWholeRow(list, line.row);
  window_.settings.GridRow = line.row + 1;
}

void VerifyRun::ShowFinished(Line& line, RowEvent& event) {
  event.outcome.messages.ReplayOn(window_.ui);
  if (!window_.settings.Verifying) return;
  line.finished = true;
  ++finished_;
  if (event.outcome.failure) {
    failure_ = event.outcome.failure;
    return;
  }
  const RowCheckOutcome& outcome = event.outcome;
  working_ += outcome.answered;
  elite_ += outcome.answered && outcome.level == "elite";
  no_icmp_ = no_icmp_ || outcome.failure_kind == CheckFailure::NoIcmp;
  if (services_.progress) services_.progress(finished_, queued_);
  if (RowStillThere(line)) WriteOutcome(window_, line.row, outcome, services_.now_text());
  if (jobs_ > 1) {
    services_.set_caption(ScanCaption(static_cast<int>(finished_), static_cast<int>(lines_.size()),
                                      ShownAddress(line.cells)));
  }
}

// A result is written only to the row it was started for.
bool VerifyRun::RowStillThere(const Line& line) const {
  const ProxyList& list = window_.list;
  return line.row <= list.LastRow() &&
         Trim(list.Text(line.row, kColServerIp)) == CellOf(line.cells, kColServerIp) &&
         Trim(list.Text(line.row, kColServerName)) == CellOf(line.cells, kColServerName);
}

// After a cancel: the rows whose check was dropped or never started lose their mark and the
// pointer picture.
void VerifyRun::Cancel() {
  run_.reset();
  ProxyList& list = window_.list;
  for (const Line& line : lines_) {
    if (line.row < 0 || line.finished || !RowStillThere(line)) continue;
    Color back = RestingBackground(list, line.row);
    for (int col = 0; col < kColumnCount; ++col) list.SetCellBackColorAt(line.row, col, back);
    bool ok = EqualsNoCase(list.Text(line.row, kColStatus), "OK");
    CellPicture picture =
        ok ? PictureForSecure(list.Text(line.row, kColSecure)) : CellPicture::None;
    list.SetCellPictureAt(line.row, kColServerIp, picture);
  }
  Finish();
}

void VerifyRun::Finish() {
  ProxyList& list = window_.list;
  window_.ui.SetPointer(PointerShape::Default);
  list.SetFillMode(FillMode::Single);
  if (lines_.size() > 1) {
    int last = list.CurrentRow();
    if (jobs_ > 1) {
      for (const Line& line : lines_) last = std::max(last, line.row);
    }
    SelectWholeRow(list, std::min(last + 1, list.LastRow()));
  }
  services_.set_caption(services_.base_caption);
  list.TopRow = static_cast<int32_t>(lines_.size());
  window_.settings.ListDirty = true;
  window_.settings.Verifying = false;
  over_ = true;
  if (services_.summary) services_.summary(RunSummary(finished_, working_, elite_));
  if (!notice_.empty()) window_.ui.ShowMessage(notice_, MessageIcon::Information);
  if (no_icmp_ && !window_.settings.NoIcmpTold) {
    window_.settings.NoIcmpTold = true;
    window_.ui.ShowMessage(kNoIcmpMessage, MessageIcon::Exclamation);
  }
}

std::string RunSummary(size_t checked, size_t working, size_t elite) {
  return std::to_string(checked) + " checked: " + std::to_string(working) + " work, " +
         std::to_string(elite) + " elite";
}

std::string ScanCaption(int index, int count, const std::string& shown) {
  return std::string(kAppTitle) + " scan " + std::to_string(index) + " of " +
         std::to_string(count) + "    (" + shown + ")";
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
  list.SetAnonymityAt(row, outcome.level);
  list.SetCheckNotesAt(row, outcome.ping_method, outcome.failure_kind);
  list.SetText(row, kColPing, outcome.ping);
  list.SetFetchTimeAt(row, outcome.fetch_ms);
  list.SetCountryAt(row, outcome.country);
  list.SetText(row, kColVerified, now);
  ColorGridRow(list, row, TextColor(col), back);
}

void VerifyToEnd(ListWindow window, VerifyServices services, int jobs) {
  VerifyRun run(window, std::move(services), jobs);
  while (run.Pump(20)) window.ui.ProcessPendingEvents();
}

}  // namespace quillet
