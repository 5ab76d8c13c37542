#pragma once
// How a row keeps its cells and colours compactly: lists of millions of rows are loaded, and
// most rows have short cells and one colour pair across the row.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "proxylist/palette.h"

namespace quillet {

inline constexpr int kColumnCount = 10;

// The text of a row's ten cells. Column 0, the hidden column, is always empty and not kept; the
// nine others are kept end to end in one piece of text.
class RowCells {
 public:
  RowCells() = default;
  explicit RowCells(const std::array<std::string, kColumnCount>& cells);

  // Empty text for column 0 and for a column past the last.
  std::string_view View(size_t col) const;
  std::string operator[](size_t col) const { return std::string(View(col)); }
  // Throws std::out_of_range for a column past the last.
  std::string at(size_t col) const;
  // Text given to column 0 is dropped: that column stays empty.
  void Set(size_t col, std::string_view text);
  // The ten cells, column 0 included.
  std::vector<std::string> All() const;

  friend bool operator==(const RowCells&, const RowCells&) = default;

 private:
  size_t Begin(size_t col) const { return col <= 1 ? 0 : ends_[col - 2]; }

  std::string text_;
  std::array<uint32_t, kColumnCount - 1> ends_{};  // where the text of columns 1 to 9 ends
};

// The colour of each of a row's ten cells: one for column 0 and one for the other nine, until a
// cell among those nine is given a colour of its own.
class RowColors {
 public:
  explicit RowColors(Color color) : hidden_(color), shown_(color) {}
  RowColors(const RowColors& other);
  RowColors& operator=(const RowColors& other);
  RowColors(RowColors&&) noexcept = default;
  RowColors& operator=(RowColors&&) noexcept = default;

  Color operator[](size_t col) const {
    return cells_ ? cells_->at(col) : col == 0 ? hidden_ : shown_;
  }
  void Set(size_t col, Color color);
  // Columns 1 to 9.
  void SetShown(Color color);

  friend bool operator==(const RowColors& a, const RowColors& b);

 private:
  // Back to two colours when the nine shown cells agree again.
  void Merge();

  Color hidden_;
  Color shown_;
  std::unique_ptr<std::array<Color, kColumnCount>> cells_;
};

}  // namespace quillet
