#include "proxylist/proxy_list.h"

#include <algorithm>

#include "core/errors.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr long kErrSubscript = 381;

CellAlignment AlignmentOf(char code) {
  if (code == '^') return CellAlignment::Centre;
  if (code == '>') return CellAlignment::Right;
  return CellAlignment::Left;
}

}  // namespace

std::array<ColumnTitle, kColumnCount> ColumnTitles() {
  std::array<ColumnTitle, kColumnCount> titles;
  std::vector<std::string> parts = Split(kGridFormat, "|");
  for (size_t i = 0; i < titles.size() && i < parts.size(); ++i) {
    const std::string& part = parts[i];
    titles[i] = {part.empty() ? "" : part.substr(1), AlignmentOf(part.empty() ? '<' : part[0])};
  }
  return titles;
}

ProxyList::ProxyList() {
  Reset();
}

void ProxyList::BeginUpdate() {
  if (update_depth_++ == 0 && observer_) observer_->BeginReset();
}

void ProxyList::EndUpdate() {
  if (update_depth_ == 0) return;
  if (--update_depth_ == 0 && observer_) observer_->EndReset();
}

void ProxyList::Reset() {
  BeginUpdate();
  rows_.clear();
  rows_.emplace_back();
  std::array<ColumnTitle, kColumnCount> titles = ColumnTitles();
  for (int col = 0; col < kColumnCount; ++col)
    rows_[0].cells.Set(size_t(col), titles[size_t(col)].text);
  row_ = col_ = row_sel_ = col_sel_ = 0;
  first_visible_ = 1;
  widths_.assign(kColumnWidths.begin(), kColumnWidths.end());
  for (const ExtraColumn* extra : extras_) widths_.push_back(extra->width);
  EndUpdate();
}

void ProxyList::SetExtraColumns(std::vector<const ExtraColumn*> columns) {
  if (columns == extras_) return;
  BeginUpdate();
  extras_ = std::move(columns);
  widths_.resize(kColumnCount);
  for (const ExtraColumn* extra : extras_) widths_.push_back(extra->width);
  col_ = std::min(col_, LastCol());
  col_sel_ = std::min(col_sel_, LastCol());
  EndUpdate();
}

const ExtraColumn* ProxyList::Extra(int col) const {
  if (col < kColumnCount || col > LastCol()) return nullptr;
  return extras_[size_t(col - kColumnCount)];
}

std::string ProxyList::Text(int row, int col) const {
  const ProxyRow& cells = Row(row);
  const ExtraColumn* extra = Extra(col);
  if (!extra) return cells.cells.at(size_t(col));
  return row == 0 ? extra->title : extra->text(cells);
}

void ProxyList::TakeLoaded(ProxyList&& loaded) {
  BeginUpdate();
  rows_ = std::move(loaded.rows_);
  row_ = loaded.row_, col_ = loaded.col_, row_sel_ = loaded.row_sel_, col_sel_ = loaded.col_sel_;
  // A whole row selected there is a whole row here, whatever extra columns either has.
  if (col_sel_ >= loaded.LastCol()) col_sel_ = LastCol();
  first_visible_ = loaded.first_visible_;
  ListHeader = std::move(loaded.ListHeader);
  ListInWindows1252 = loaded.ListInWindows1252;
  FailColor = loaded.FailColor;
  TopRow = loaded.TopRow;
  loaded.Reset();
  EndUpdate();
}

int ProxyList::AddRow(const std::array<std::string, kColumnCount>& cells) {
  int row = Rows();
  bool notify = observer_ && update_depth_ == 0;
  if (notify) observer_->BeginInsertRows(row, row);
  rows_.emplace_back();
  rows_.back().cells = RowCells(cells);
  if (notify) observer_->EndInsertRows();
  return row;
}

void ProxyList::RemoveRows(int first, int last) {
  if (first < 1 || last < first || last >= Rows()) {
    throw RunTimeError(kErrSubscript, "Subscript out of range");
  }
  bool notify = observer_ && update_depth_ == 0;
  if (notify) observer_->BeginRemoveRows(first, last);
  rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
  ClampToRows();
  if (notify) observer_->EndRemoveRows();
}

// After rows went: the current cell, the selection end and the first visible row stay inside
// the list.
void ProxyList::ClampToRows() {
  int last = LastRow();
  row_ = std::min(row_, last);
  row_sel_ = std::min(row_sel_, last);
  if (first_visible_ > last) first_visible_ = std::max(last, 1);
}

bool ProxyList::ValidCell(int row, int col) const {
  return row >= 0 && row < Rows() && col >= 0 && col < Columns();
}

void ProxyList::CheckCell(int row, int col) const {
  if (!ValidCell(row, col)) throw RunTimeError(kErrSubscript, "Subscript out of range");
}

void ProxyList::NotifyCells(int top, int left, int bottom, int right) {
  if (observer_ && update_depth_ == 0) observer_->CellsChanged(top, left, bottom, right);
}

void ProxyList::SetText(int row, int col, const std::string& text) {
  if (col >= kColumnCount) throw RunTimeError(kErrSubscript, "Subscript out of range");
  CheckCell(row, col);
  ProxyRow& cells = rows_[size_t(row)];
  bool new_address =
      (col == kColServerIp || col == kColServerName) && cells.cells.View(size_t(col)) != text;
  cells.cells.Set(size_t(col), text);
  NotifyCells(row, col, row, col);
  if (new_address) {
    SetFetchTimeAt(row, -1);
    SetCountryAt(row, {});
  }
}

void ProxyList::ChangeSelection(int row, int col, int row_sel, int col_sel) {
  CheckCell(row, col);
  CheckCell(row_sel, col_sel);
  CellRange before = Selection();
  row_ = row, col_ = col, row_sel_ = row_sel, col_sel_ = col_sel;
  NotifyCells(before);
  NotifyCells(Selection());
}

void ProxyList::SetCurrentRow(int row) {
  ChangeSelection(row, col_, row, col_);
}
void ProxyList::SetCurrentCol(int col) {
  ChangeSelection(row_, col, row_, col);
}
void ProxyList::SetSelectionEndRow(int row) {
  ChangeSelection(row_, col_, row, col_sel_);
}
void ProxyList::SetSelectionEndCol(int col) {
  ChangeSelection(row_, col_, row_sel_, col);
}

CellRange ProxyList::Selection() const {
  return {std::min(row_, row_sel_), std::min(col_, col_sel_), std::max(row_, row_sel_),
          std::max(col_, col_sel_)};
}

int ProxyList::FirstSelectedRow() const {
  return std::min(row_, row_sel_);
}

std::string ProxyList::SelectedText() const {
  CellRange range = Selection();
  std::string text;
  for (int row = range.top; row <= range.bottom; ++row) {
    if (row > range.top) text += '\r';
    for (int col = range.left; col <= range.right; ++col) {
      if (col > range.left) text += '\t';
      text += Text(row, col);
    }
  }
  return text;
}

template <class Apply>
void ProxyList::ForFilledCells(Apply apply) {
  CellRange range =
      fill_mode_ == FillMode::Repeat ? Selection() : CellRange{row_, col_, row_, col_};
  // The extra columns have no colours or pictures of their own.
  int right = std::min(range.right, kColumnCount - 1);
  for (int row = range.top; row <= range.bottom; ++row) {
    for (int col = range.left; col <= right; ++col) apply(rows_[size_t(row)], size_t(col));
  }
  NotifyCells(range);
}

void ProxyList::SetCellForeColor(Color color) {
  ForFilledCells([color](ProxyRow& row, size_t col) { row.fore.Set(col, color); });
}

void ProxyList::SetCellBackColor(Color color) {
  ForFilledCells([color](ProxyRow& row, size_t col) { row.back.Set(col, color); });
}

void ProxyList::SetCellPicture(CellPicture picture) {
  ForFilledCells([picture](ProxyRow& row, size_t col) { row.pictures[col] = picture; });
}

template <class Change>
void ProxyList::ChangeCell(int row, int col, Change change) {
  // The extra columns have no display state of their own.
  if (col >= kColumnCount) throw RunTimeError(kErrSubscript, "Subscript out of range");
  CheckCell(row, col);
  change(rows_[size_t(row)], size_t(col));
  NotifyCells(row, col, row, col);
}

void ProxyList::SetRowColors(int row, Color fore, Color back) {
  CheckCell(row, 0);
  rows_[size_t(row)].fore.SetShown(fore);
  rows_[size_t(row)].back.SetShown(back);
  NotifyCells(row, 1, row, LastCol());
}

void ProxyList::SetCellForeColorAt(int row, int col, Color color) {
  ChangeCell(row, col, [color](ProxyRow& cells, size_t at) { cells.fore.Set(at, color); });
}

void ProxyList::SetCellBackColorAt(int row, int col, Color color) {
  ChangeCell(row, col, [color](ProxyRow& cells, size_t at) { cells.back.Set(at, color); });
}

void ProxyList::SetCellPictureAt(int row, int col, CellPicture picture) {
  ChangeCell(row, col, [picture](ProxyRow& cells, size_t at) { cells.pictures[at] = picture; });
}

void ProxyList::SetAnonymityAt(int row, const std::string& level) {
  ChangeCell(row, kColSecure, [&level](ProxyRow& cells, size_t) {
    cells.anonymity_rank = uint8_t(AnonymityRank(level));
  });
}

void ProxyList::SetProtocolAt(int row, const std::string& protocol) {
  ChangeCell(row, kColServerIp, [&protocol](ProxyRow& cells, size_t) {
    cells.protocol_number = WordNumber(kProxyProtocols, protocol);
  });
}

void ProxyList::SetCredentialsAt(int row, const ProxyCredentials& credentials) {
  ChangeCell(row, kColServerIp, [&credentials](ProxyRow& cells, size_t) {
    cells.credentials =
        credentials.empty() ? nullptr : std::make_shared<const ProxyCredentials>(credentials);
  });
}

void ProxyList::SetCheckNotesAt(int row, const std::string& ping_method, CheckFailure failure) {
  ChangeCell(row, kColStatus, [&ping_method, failure](ProxyRow& cells, size_t) {
    cells.ping_method = WordNumber(kRowPingMethods, ping_method);
    cells.failure = failure;
  });
}

void ProxyList::SetFetchTimeAt(int row, int32_t fetch_ms) {
  CheckCell(row, 0);
  int32_t& kept = rows_[size_t(row)].fetch_ms;
  if (kept == fetch_ms) return;
  kept = fetch_ms < 0 ? -1 : fetch_ms;
  if (!extras_.empty()) NotifyCells(row, kColumnCount, row, LastCol());
}

void ProxyList::SetCountryAt(int row, const Country& country) {
  CheckCell(row, 0);
  const Country* shared = SharedCountry(country);
  if (rows_[size_t(row)].country == shared) return;
  rows_[size_t(row)].country = shared;
  if (!extras_.empty()) NotifyCells(row, kColumnCount, row, LastCol());
}

std::string CheckFailureWords(CheckFailure failure, const std::string& status,
                              bool has_credentials) {
  switch (failure) {
    case CheckFailure::NoPingReply:
      return "No answer to the ping within its time-out";
    case CheckFailure::NoIcmp:
      return "Not pinged: this system allows no ICMP echo (choose TCP ping in Settings)";
    case CheckFailure::Refused:
      return "Refused: nothing accepts connections on the proxy's port";
    case CheckFailure::TimedOut:
      return "Timed out: the proxy did not answer in time";
    case CheckFailure::NoAnswer:
      return "No answer: the proxy closed the connection";
    case CheckFailure::HttpStatus:
      // tinyproxy, for one, answers a wrong password with 401 rather than 407.
      if (has_credentials && (Trim(status) == "407" || Trim(status) == "401")) {
        return "The proxy refused the user name and password (HTTP status " + Trim(status) + ")";
      }
      if (Trim(status) == "407") {
        return "The proxy wants a user name and password (HTTP status 407)";
      }
      return "The proxy answered with HTTP status " + status;
    case CheckFailure::AuthRefused:
      return "The SOCKS proxy refused the user name and password, or wants some and none were "
             "given";
    case CheckFailure::NoJudgeText:
      return "No judge text: the answer was empty";
    case CheckFailure::PageChanged:
      return "Changed by the proxy: the judge page did not arrive as the judge sent it "
             "(an injected script or advert?), so its anonymity is not known";
    case CheckFailure::None:
      break;
  }
  return "";
}

void ProxyList::SetFirstVisibleRow(int row) {
  if (row < 1 || row >= Rows()) throw RunTimeError(kErrSubscript, "Subscript out of range");
  if (row == first_visible_) return;
  first_visible_ = row;
  if (observer_ && update_depth_ == 0) observer_->FirstVisibleRowChanged(row);
}

bool ProxyList::RowIsVisible(int row) const {
  if (row == 0) return true;
  return row >= first_visible_ && row < first_visible_ + visible_rows_ && row < Rows();
}

int ProxyList::ColumnLeft(int col) const {
  int left = 0;
  for (int c = 0; c < col && c < Columns(); ++c) left += widths_[size_t(c)];
  return left;
}

void ProxyList::SetRowHeights(int title_twips, int row_twips) {
  title_height_ = title_twips;
  row_height_ = row_twips;
}

int ProxyList::RowTop(int row) const {
  if (row == 0) return 0;
  if (!RowIsVisible(row)) return -1;
  return title_height_ + (row - first_visible_) * row_height_;
}

void ProxyList::SortRows(int first, int last,
                         const std::function<bool(const ProxyRow&, const ProxyRow&)>& less) {
  first = std::max(first, 1);
  last = std::min(last, LastRow());
  if (first >= last) return;
  std::stable_sort(rows_.begin() + first, rows_.begin() + last + 1, less);
  NotifyCells(first, 0, last, LastCol());
}

void ProxyList::PermuteRows(int first, const std::vector<size_t>& order) {
  if (first < 1 || first + int(order.size()) > Rows()) {
    throw RunTimeError(kErrSubscript, "Subscript out of range");
  }
  std::vector<ProxyRow> moved;
  moved.reserve(order.size());
  for (size_t index : order) moved.push_back(std::move(rows_.at(size_t(first) + index)));
  std::move(moved.begin(), moved.end(), rows_.begin() + first);
  if (!order.empty()) NotifyCells(first, 0, first + int(order.size()) - 1, LastCol());
}

int ProxyList::RemoveRowsIf(int first, const std::function<bool(const ProxyRow&)>& remove) {
  first = std::max(first, 1);
  if (first >= Rows()) return 0;
  BeginUpdate();
  auto kept = std::stable_partition(rows_.begin() + first, rows_.end(),
                                    [&remove](const ProxyRow& row) { return !remove(row); });
  int removed = int(rows_.end() - kept);
  rows_.erase(kept, rows_.end());
  ClampToRows();
  EndUpdate();
  return removed;
}

}  // namespace quillet
