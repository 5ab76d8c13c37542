#pragma once
// ProxyList: the one copy of the proxy list, held as the grid holds it. Row 0 is the column-title
// row; data rows are 1 to Rows() - 1. Besides the cells and their colours and pictures it keeps
// the grid state the commands rely on: the current cell, the selection, the first visible row,
// the fill mode, the column widths and row heights, and the list fields of the main window
// (ListHeader, FailColor, TopRow, MouseX, MouseY).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "proxylist/extra_columns.h"
#include "proxylist/proxy_row.h"

namespace quillet {

// Told about every change, so a view can follow the list. Begin* calls come before the change,
// End* calls after it.
class ProxyListObserver {
 public:
  virtual ~ProxyListObserver() = default;
  virtual void BeginReset() = 0;
  virtual void EndReset() = 0;
  virtual void BeginInsertRows(int first, int last) = 0;
  virtual void EndInsertRows() = 0;
  virtual void BeginRemoveRows(int first, int last) = 0;
  virtual void EndRemoveRows() = 0;
  // Text, colours, pictures or selection highlight of a block of cells changed.
  virtual void CellsChanged(int top, int left, int bottom, int right) = 0;
  virtual void FirstVisibleRowChanged(int row) = 0;
};

// Single: a colour or picture set applies to the current cell. Repeat: to every selected cell.
enum class FillMode { Single, Repeat };

struct CellRange {
  int top = 0, left = 0, bottom = 0, right = 0;
  bool Contains(int row, int col) const {
    return row >= top && row <= bottom && col >= left && col <= right;
  }
};

// The column titles (with their alignment codes) and widths in twips of the ten columns the list
// file keeps; the extra columns (ExtraColumn) follow them.
inline constexpr const char* kGridFormat =
    "^|<   Server IP|<Server Name|<Comment|<Verified|^Type|^Status|^Secure|>Ping|^Col";
inline constexpr std::array<int, kColumnCount> kColumnWidths = {0,   2000, 2500, 1680, 1700,
                                                                550, 750,  750,  500,  500};
struct ColumnTitle {
  std::string text;
  CellAlignment alignment;
};
// The ten titles and alignments of kGridFormat.
std::array<ColumnTitle, kColumnCount> ColumnTitles();

class ProxyList {
 public:
  ProxyList();

  void SetObserver(ProxyListObserver* observer) { observer_ = observer; }
  // Between BeginUpdate and EndUpdate the observer sees one reset instead of each change.
  void BeginUpdate();
  void EndUpdate();

  // --- Columns: the ten the list file keeps, then the extra ones ---
  // Replaces the extra columns (with one reset notice); their widths start at their own.
  void SetExtraColumns(std::vector<const ExtraColumn*> columns);
  int Columns() const { return kColumnCount + int(extras_.size()); }
  int LastCol() const { return Columns() - 1; }
  // The extra column `col` is, or nullptr for one of the ten.
  const ExtraColumn* Extra(int col) const;

  // --- Rows and cells ---
  int Rows() const { return int(rows_.size()); }
  int LastRow() const { return Rows() - 1; }
  // Makes room for this many rows in all, so that a load grows the list without copying it.
  void ReserveRows(size_t rows) { rows_.reserve(rows); }
  // Removes every data row; the title row stays. Widths and heights go back to their defaults.
  void Reset();
  // Takes the rows, the current cell, the selection, the first visible row and the list fields
  // of a list loaded apart from this one (on another thread, say), with one reset notice.
  void TakeLoaded(ProxyList&& loaded);
  // Appends a data row; its cells are given for columns 0 to 9. Returns the new row's number.
  int AddRow(const std::array<std::string, kColumnCount>& cells);
  void RemoveRow(int row) { RemoveRows(row, row); }
  // Removes the data rows first..last in one step, with one notice to the observer.
  void RemoveRows(int first, int last);
  const ProxyRow& Row(int row) const { return rows_.at(size_t(row)); }
  // The text of any cell; an extra column's title row holds its title.
  std::string Text(int row, int col) const;
  // One of the ten file cells. A new address (Server IP or Server Name) makes the row another
  // proxy: what its last check measured beyond the cells goes.
  void SetText(int row, int col, const std::string& text);

  // --- Current cell and selection (setting the current row or column collapses the selection
  // to it, as the grid does) ---
  int CurrentRow() const { return row_; }
  int CurrentCol() const { return col_; }
  int SelectionEndRow() const { return row_sel_; }
  int SelectionEndCol() const { return col_sel_; }
  void SetCurrentRow(int row);
  void SetCurrentCol(int col);
  void SetSelectionEndRow(int row);
  void SetSelectionEndCol(int col);
  // The selection as a block with top <= bottom and left <= right.
  CellRange Selection() const;
  // The smaller of the current row and the selection-end row.
  int FirstSelectedRow() const;
  // The selected cells: cells separated by a tab, rows by a carriage return.
  std::string SelectedText() const;

  // --- Display state ---
  FillMode GetFillMode() const { return fill_mode_; }
  void SetFillMode(FillMode mode) { fill_mode_ = mode; }
  // Sets the colour of the current cell, or of every selected cell in Repeat mode.
  void SetCellForeColor(Color color);
  void SetCellBackColor(Color color);
  void SetCellPicture(CellPicture picture);
  // Direct access to one cell, regardless of the fill mode.
  // The colours of cells 1 to 9 of a row.
  void SetRowColors(int row, Color fore, Color back);
  void SetCellForeColorAt(int row, int col, Color color);
  void SetCellBackColorAt(int row, int col, Color color);
  void SetCellPictureAt(int row, int col, CellPicture picture);
  void SetAnonymityAt(int row, const std::string& level);
  void SetProtocolAt(int row, const std::string& protocol);
  // None, or empty credentials, takes them away.
  void SetCredentialsAt(int row, const ProxyCredentials& credentials);
  // How the last check pinged the row (a word of kRowPingMethods) and why it failed.
  void SetCheckNotesAt(int row, const std::string& ping_method, CheckFailure failure);
  // The fetch time and country the last check found (-1, no code: none).
  void SetFetchTimeAt(int row, int32_t fetch_ms);
  void SetCountryAt(int row, const Country& country);

  // --- Scrolling and geometry (twips) ---
  int FirstVisibleRow() const { return first_visible_; }
  void SetFirstVisibleRow(int row);
  // How many data rows the view shows at once (set by the view; 20 until it says).
  int VisibleRowCount() const { return visible_rows_; }
  void SetVisibleRowCount(int count) { visible_rows_ = count < 1 ? 1 : count; }
  // True for the title row and for data rows inside the visible window.
  bool RowIsVisible(int row) const;
  int ColumnWidth(int col) const { return widths_.at(size_t(col)); }
  void SetColumnWidth(int col, int twips) { widths_.at(size_t(col)) = twips; }
  int ColumnLeft(int col) const;
  int RowHeight(int row) const { return row == 0 ? title_height_ : row_height_; }
  void SetRowHeights(int title_twips, int row_twips);
  // Top of a row as shown: the title row at 0, then the visible data rows; -1 when not shown.
  int RowTop(int row) const;

  // --- Reordering ---
  // Stable sort of rows first..last by `less`.
  void SortRows(int first, int last,
                const std::function<bool(const ProxyRow&, const ProxyRow&)>& less);
  // Puts the rows first.. into a new order: new row first + i is old row first + order[i].
  void PermuteRows(int first, const std::vector<size_t>& order);
  // Removes every data row from `first` on for which `remove` answers true, in one pass.
  // Answers how many went.
  int RemoveRowsIf(int first, const std::function<bool(const ProxyRow&)>& remove);

  // --- The main window's list fields ---
  std::string ListHeader;
  bool ListInWindows1252 = false;  // the loaded file was not UTF-8: saves write that code page
  Color FailColor = kSystemInactiveCaptionText;
  int32_t TopRow = 0;  // a row number or index: lists grow past 32767 rows
  float MouseX = 0;
  float MouseY = 0;

 private:
  bool ValidCell(int row, int col) const;
  void CheckCell(int row, int col) const;
  void ClampToRows();
  void NotifyCells(int top, int left, int bottom, int right);
  void NotifyCells(const CellRange& range) {
    NotifyCells(range.top, range.left, range.bottom, range.right);
  }
  void ChangeSelection(int row, int col, int row_sel, int col_sel);
  template <class Apply>
  void ForFilledCells(Apply apply);
  // Changes one cell's display state by `change` (ProxyRow&, column) and tells the observer.
  template <class Change>
  void ChangeCell(int row, int col, Change change);

  std::vector<ProxyRow> rows_;
  int row_ = 0, col_ = 0, row_sel_ = 0, col_sel_ = 0;
  FillMode fill_mode_ = FillMode::Single;
  int first_visible_ = 1;
  int visible_rows_ = 20;
  std::vector<const ExtraColumn*> extras_;
  std::vector<int> widths_;
  int title_height_ = 240;
  int row_height_ = 240;
  ProxyListObserver* observer_ = nullptr;
  int update_depth_ = 0;
};

}  // namespace quillet
