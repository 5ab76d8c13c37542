// A row keeps its cells end to end and its colours as two until a cell differs: what is set is
// what is read back, whatever the order of the changes.
#include <gtest/gtest.h>

#include "proxylist/row_storage.h"

namespace quillet {
namespace {

TEST(RowCells, cellsGrowAndShrinkWithoutDisturbingTheirNeighbours) {
  std::array<std::string, kColumnCount> texts = {
      "", "     10.0.0.1:80", "", "comment", "", "COM", "OK", "Y", "5", "12;14"};
  RowCells cells(texts);
  const std::pair<size_t, std::string> changes[] = {
      {3, ""},           {1, "a much longer address than the one before:8080"},
      {9, ""},           {2, "x.example:1"},
      {3, "back again"}, {0, "dropped: the hidden column stays empty"}};
  for (const auto& [col, text] : changes) {
    cells.Set(col, text);
    if (col != 0) texts[col] = text;
    for (size_t c = 0; c < kColumnCount; ++c) EXPECT_EQ(cells[c], texts[c]) << "set " << col;
  }
  EXPECT_EQ(cells.All(), std::vector<std::string>(texts.begin(), texts.end()));
  EXPECT_EQ(cells, RowCells(texts));
  EXPECT_THROW(cells.at(kColumnCount), std::out_of_range);
}

TEST(RowColors, aCellOfItsOwnColourIsKeptApartUntilTheRowAgreesAgain) {
  RowColors colors(1);
  colors.SetShown(2);
  colors.Set(0, 3);
  colors.Set(5, 4);
  RowColors copy = colors;
  for (size_t col = 1; col < kColumnCount; ++col) colors.Set(col, 6);
  EXPECT_EQ(std::make_tuple(copy[0], copy[5], copy[4]), std::make_tuple(3u, 4u, 2u))
      << "a copy keeps its own cells";
  RowColors merged(3);
  merged.SetShown(6);
  EXPECT_EQ(colors, merged);
  EXPECT_FALSE(copy == merged);
  colors.Set(9, 7);
  colors.SetShown(8);
  EXPECT_EQ(std::make_pair(colors[9], colors[0]), std::make_pair(8u, 3u));
}

}  // namespace
}  // namespace quillet
