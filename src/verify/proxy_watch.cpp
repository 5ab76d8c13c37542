#include "verify/proxy_watch.h"

#include <algorithm>

#include "proxylist/proxy_credentials.h"
#include "verify/background_run.h"
#include "verify/verify_command.h"

namespace quillet {
namespace {

// How often the window looks for the end of a check under way.
constexpr int kCheckPollMs = 50;
// A proxy counts as dead after this many failed checks in a row.
constexpr int kFailuresToSwitch = 2;

// Writes a checked row's cells as Verify does, leaving the user's current cell and selection.
void WriteKeepingSelection(ListWindow window, int row, const RowCheckOutcome& outcome,
                           const std::string& now) {
  ProxyList& list = window.list;
  int current_row = list.CurrentRow(), current_col = list.CurrentCol();
  int end_row = list.SelectionEndRow(), end_col = list.SelectionEndCol();
  WriteOutcome(window, row, outcome, now);
  list.SetCurrentRow(current_row);
  list.SetCurrentCol(current_col);
  list.SetSelectionEndRow(end_row);
  list.SetSelectionEndCol(end_col);
  window.settings.ListDirty = true;
}

}  // namespace

ProxyWatch::ProxyWatch(ListWindow window, WatchServices services)
    : window_(window), services_(std::move(services)) {}

ProxyWatch::~ProxyWatch() = default;

void ProxyWatch::Watch(const ProxyFields& applied) {
  check_.reset();
  applied_ = applied;
  target_ = WatchTargetOf(applied);
  failures_ = 0;
  told_none_left_ = false;
  next_check_ = Clock::now() + std::chrono::seconds(std::max(window_.settings.WatchSeconds, 0));
  if (!target_) return;
  int row = RowOfAddress(window_.list, target_->kind, target_->address);
  if (row >= 0) target_->min_rank = RowRank(window_.list, row);
}

bool ProxyWatch::Active() const {
  return target_ && window_.settings.WatchSeconds > 0;
}

int ProxyWatch::Pump(Clock::time_point now) {
  if (!Active()) {
    check_.reset();
    return -1;
  }
  if (check_) {
    std::optional<RowCheckOutcome> ended;
    for (RowEvent& event : check_->run->Take(0)) {
      if (!event.started) ended = std::move(event.outcome);
    }
    if (!ended && !check_->run->Failure()) return kCheckPollMs;
    Checked(ended ? *ended : RowCheckOutcome{});  // an engine that failed counts as a failed check
    return Pump(Clock::now());
  }
  auto period = std::chrono::seconds(window_.settings.WatchSeconds);
  next_check_ = std::min(next_check_, now + period);  // the period may have just been shortened
  if (now >= next_check_) {
    next_check_ = now + period;
    StartCheck(target_->address, false);
    return kCheckPollMs;
  }
  auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next_check_ - now);
  return static_cast<int>(wait.count()) + 1;
}

void ProxyWatch::StartCheck(const std::string& address, bool candidate) {
  WatchTarget checked = *target_;
  checked.address = address;
  int row = RowOfAddress(window_.list, checked.kind, address);
  BackgroundRun::Rows rows;
  rows.emplace_back(0, CheckCells(window_.list, row, checked));
  auto run = std::make_unique<BackgroundRun>(services_.backend,
                                             ProbeSettings::From(window_.settings), 1, rows);
  check_ = Check{std::move(run), address, candidate};
}

void ProxyWatch::Checked(const RowCheckOutcome& outcome) {
  Check check = std::move(*check_);
  check_.reset();
  check.run.reset();
  bool passed = outcome.answered && !outcome.failure;
  WriteCells(check.address, outcome);
  if (check.candidate) {
    CandidateChecked(passed, CheckedRank(outcome.level, outcome.secure), check.address);
  } else {
    AppliedChecked(passed);
  }
}

// The applied proxy's cells change only when it fails: a passing check every few seconds
// would otherwise keep moving its Verified time.
void ProxyWatch::WriteCells(const std::string& address, const RowCheckOutcome& outcome) {
  int row = RowOfAddress(window_.list, target_->kind, address);
  bool applied = address == target_->address;
  if (row >= 0 && (!applied || !outcome.answered)) {
    WriteKeepingSelection(window_, row, outcome, services_.now_text());
  }
}

void ProxyWatch::AppliedChecked(bool passed) {
  if (passed) {
    if (failures_ > 0) {
      services_.tell({"Quillet", WithoutPassword(target_->address) + " answers again.", false});
    }
    failures_ = 0;
    told_none_left_ = false;
    return;
  }
  ++failures_;
  if (failures_ < kFailuresToSwitch) {
    services_.tell({"Quillet",
                    WithoutPassword(target_->address) + " did not answer the watch's check (" +
                        std::to_string(failures_) + " of " + std::to_string(kFailuresToSwitch) +
                        ").",
                    false});
    return;
  }
  TryNextCandidate();
}

void ProxyWatch::CandidateChecked(bool passed, int rank, const std::string& address) {
  if (passed && rank >= target_->min_rank) return SwitchTo(address);
  TryNextCandidate();
}

void ProxyWatch::TryNextCandidate() {
  int row = BestReplacement(window_.list, *target_);
  if (row >= 0) return StartCheck(RowAddress(window_.list, row), true);
  if (told_none_left_) return;
  told_none_left_ = true;
  services_.tell({"Quillet: no working proxy left",
                  WithoutPassword(target_->address) +
                      " stopped working and no other verified proxy of the list "
                      "passed its check. The proxy settings stay as they are.",
                  true});
}

void ProxyWatch::SwitchTo(const std::string& address) {
  // What the user reads (a desktop notification, the status line) never carries a password.
  std::string old = WithoutPassword(target_->address), shown = WithoutPassword(address);
  ProxyFields fields = WithReplacement(applied_, *target_, address);
  services_.fields.SetFields(fields);
  if (!services_.apply()) {
    services_.tell({"Quillet could not switch the proxy",
                    old + " stopped working, but " + shown +
                        " could not be written into the proxy settings; they stay as they are.",
                    true});
    return;
  }
  int min_rank = target_->min_rank;
  Watch(services_.fields.Fields());
  target_->min_rank = std::max(target_->min_rank, min_rank);
  services_.tell({"Quillet switched the proxy",
                  old + " stopped working. The proxy settings now use " + shown +
                      ", which passed its check just now.",
                  true});
}

}  // namespace quillet
