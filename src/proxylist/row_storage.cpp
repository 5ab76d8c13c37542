#include "proxylist/row_storage.h"

#include <stdexcept>

namespace quillet {

RowCells::RowCells(const std::array<std::string, kColumnCount>& cells) {
  size_t size = 0;
  for (size_t col = 1; col < cells.size(); ++col) size += cells[col].size();
  text_.reserve(size);
  for (size_t col = 1; col < cells.size(); ++col) {
    text_ += cells[col];
    ends_[col - 1] = uint32_t(text_.size());
  }
}

std::string_view RowCells::View(size_t col) const {
  if (col == 0 || col >= kColumnCount) return {};
  size_t begin = Begin(col);
  return std::string_view(text_).substr(begin, ends_[col - 1] - begin);
}

std::string RowCells::at(size_t col) const {
  if (col >= kColumnCount) throw std::out_of_range("no such column");
  return (*this)[col];
}

void RowCells::Set(size_t col, std::string_view text) {
  if (col >= kColumnCount) throw std::out_of_range("no such column");
  if (col == 0) return;
  size_t begin = Begin(col);
  size_t old_size = ends_[col - 1] - begin;
  text_.replace(begin, old_size, text);
  for (size_t i = col - 1; i < ends_.size(); ++i) {
    ends_[i] = uint32_t(ends_[i] - old_size + text.size());
  }
}

std::vector<std::string> RowCells::All() const {
  std::vector<std::string> cells;
  cells.reserve(kColumnCount);
  for (size_t col = 0; col < kColumnCount; ++col) cells.emplace_back(View(col));
  return cells;
}

RowColors::RowColors(const RowColors& other) : hidden_(other.hidden_), shown_(other.shown_) {
  if (other.cells_) cells_ = std::make_unique<std::array<Color, kColumnCount>>(*other.cells_);
}

RowColors& RowColors::operator=(const RowColors& other) {
  if (this != &other) *this = RowColors(other);
  return *this;
}

void RowColors::Set(size_t col, Color color) {
  if (col >= kColumnCount) throw std::out_of_range("no such column");
  if (!cells_) {
    if (col == 0) hidden_ = color;
    if (col == 0 || color == shown_) return;
    cells_ = std::make_unique<std::array<Color, kColumnCount>>();
    cells_->fill(shown_);
    (*cells_)[0] = hidden_;
  }
  (*cells_)[col] = color;
  Merge();
}

void RowColors::SetShown(Color color) {
  shown_ = color;
  if (!cells_) return;
  hidden_ = (*cells_)[0];
  cells_.reset();
}

void RowColors::Merge() {
  for (size_t col = 2; col < kColumnCount; ++col) {
    if ((*cells_)[col] != (*cells_)[1]) return;
  }
  hidden_ = (*cells_)[0];
  shown_ = (*cells_)[1];
  cells_.reset();
}

bool operator==(const RowColors& a, const RowColors& b) {
  for (size_t col = 0; col < kColumnCount; ++col) {
    if (a[col] != b[col]) return false;
  }
  return true;
}

}  // namespace quillet
