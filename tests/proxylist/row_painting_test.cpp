#include <gtest/gtest.h>

#include "proxylist/row_painting.h"

namespace quillet {
namespace {

std::array<std::string, kColumnCount> Cells(const std::vector<std::string>& fields) {
  std::array<std::string, kColumnCount> cells;
  for (size_t i = 0; i < fields.size() && i + 1 < cells.size(); ++i) cells[i + 1] = fields[i];
  return cells;
}

// Appends a row from nine fields and paints it as loading does.
int AddPainted(ProxyList& list, std::vector<std::string> fields) {
  fields.resize(9);
  int row = list.AddRow(Cells(fields));
  PaintRowFromFields(list, fields);
  return row;
}

std::vector<std::string> Row(const std::string& status, const std::string& secure,
                             const std::string& col) {
  return {"10.0.0.1:80", "", "", "", "", status, secure, "", col};
}

TEST(PaintRowFromFields, colCellEncodings) {
  struct Case {
    std::string col;
    Color fore, back;
  } cases[] = {{";14", PaletteColor(0), PaletteColor(14)},
               {"12;15", PaletteColor(12), PaletteColor(15)},
               {"12", PaletteColor(12), PaletteColor(0)},
               {"9;", PaletteColor(9), PaletteColor(0)}};
  for (const Case& c : cases) {
    ProxyList list;
    int row = AddPainted(list, Row("", "", c.col));
    for (int col = 1; col < kColumnCount; ++col) {
      EXPECT_EQ(list.Row(row).fore[size_t(col)], c.fore) << c.col;
      EXPECT_EQ(list.Row(row).back[size_t(col)], c.back) << c.col;
    }
    EXPECT_EQ(list.Row(row).back[0], kSystemWindowBackground) << "column 0 is never painted";
  }
  ProxyList list;
  int row = AddPainted(list, Row("", "", ""));
  EXPECT_EQ(list.Row(row).fore[kColComment], kSystemWindowText);
  EXPECT_EQ(list.Row(row).back[kColComment], kSystemWindowBackground);
  EXPECT_EQ(list.Selection().top, row) << "the painted row is selected";
  EXPECT_EQ(PaletteColor(14), Rgb(255, 255, 0));
}

TEST(PaintRowFromFields, statusDecidesFailColourAndAnonymityPicture) {
  ProxyList list;
  list.FailColor = Rgb(1, 2, 3);
  auto back = [&](const std::string& status, const std::string& col) {
    return list.Row(AddPainted(list, Row(status, "", col))).back[3];
  };
  EXPECT_EQ(back("--", "12;14"), Rgb(1, 2, 3));
  EXPECT_EQ(back("403", ""), Rgb(1, 2, 3));
  EXPECT_EQ(back("  ", ";14"), PaletteColor(14)) << "a blank Status keeps the Col background";
  EXPECT_EQ(back("ok", ";14"), PaletteColor(14));
  auto picture = [&](const std::string& status, const std::string& secure) {
    return list.Row(AddPainted(list, Row(status, secure, ""))).pictures[kColServerIp];
  };
  EXPECT_EQ(picture("OK", "y"), CellPicture::OK);
  EXPECT_EQ(picture("ok", "N"), CellPicture::No);
  EXPECT_EQ(picture("OK", "?"), CellPicture::Closed);
  EXPECT_EQ(picture("OK", ""), CellPicture::None);
  EXPECT_EQ(picture("--", "Y"), CellPicture::None) << "a failed row never gets a picture";
}

TEST(RowType, lastLabelOfTheNameInUpperCase) {
  EXPECT_EQ(RowType("proxy.example.com:8080", "x"), "COM");
  EXPECT_EQ(RowType(" www.web.de:80", ""), "DE");
  EXPECT_EQ(RowType("10.1.2.3:80", "x"), "");
  EXPECT_EQ(RowType("ab:80", "kept"), "kept") << "colon at position 3";
  EXPECT_EQ(RowType("abcd:80", ""), "BCD");
}

TEST(GridHitTest, findsColumnAndRowIncludingTheTitleRow) {
  ProxyList list;
  for (int i = 0; i < 50; ++i) list.AddRow({});
  list.SetRowHeights(300, 240);
  list.SetVisibleRowCount(10);
  EXPECT_EQ(GridHitTest(list, 10, 5).row, 0) << "the title row";
  GridCell cell = GridHitTest(list, 2000 + 2500 + 1, 300 + 240 * 2 + 1);
  EXPECT_EQ(cell.col, 3);
  EXPECT_EQ(cell.row, 3);
  list.SetFirstVisibleRow(20);
  EXPECT_EQ(GridHitTest(list, 0, 300).row, 20);
  EXPECT_EQ(GridHitTest(list, 1e6, 300 + 240 * 10 + 1).col, -1);
}

class UseCellAsProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.AddRow({"", "     10.0.0.1:80", "proxy.example.com:8080", "note"});
    list.AddRow({"", "     ", "name.example.org:3128"});
    list.AddRow({"", "     10.0.0.2:81", ""});
    list.AddRow({"", "     10.0.0.3", "no-port"});
  }
  std::string Use(int row, int col, int protocol) {
    list.SetCurrentRow(row);
    settings.GridCol = col;
    fields.fields.servers[size_t(protocol)] = "unchanged";
    UseCellAsProxy(list, settings, fields, protocol);
    return fields.fields.servers[size_t(protocol)];
  }
  ProxyList list;
  AppSettings settings;
  MemoryProxyFields fields;
};

TEST_F(UseCellAsProxyTest, picksTheAddressColumnUnderTheClick) {
  EXPECT_EQ(Use(1, kColComment, 1), "proxy.example.com:8080");
  EXPECT_EQ(Use(1, kColServerIp, 0), "10.0.0.1:80");
  EXPECT_EQ(Use(2, kColServerIp, 2), "name.example.org:3128") << "empty IP falls back to name";
  EXPECT_EQ(Use(3, kColPing, 3), "10.0.0.2:81") << "empty name falls back to IP";
  EXPECT_EQ(Use(4, kColServerName, 0), "unchanged") << "a cell without ':' changes nothing";
  EXPECT_EQ(Use(1, -1, 0), "unchanged") << "outside every column";
}

}  // namespace
}  // namespace quillet
