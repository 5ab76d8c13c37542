#include <gtest/gtest.h>

#include "proxylist/row_painting.h"

namespace quillet {
namespace {

// Appends a row from nine fields and paints it as loading does.
int AddPainted(ProxyList& list, std::vector<std::string> fields) {
  fields.resize(9);
  std::array<std::string, kColumnCount> cells;
  std::copy(fields.begin(), fields.end(), cells.begin() + 1);
  int row = list.AddRow(cells);
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
               {"12", PaletteColor(12), PaletteColor(0)},
               {"9;", PaletteColor(9), PaletteColor(0)}};
  for (const Case& c : cases) {
    ProxyList list;
    int row = AddPainted(list, Row("", "", c.col));
    EXPECT_EQ(list.Row(row).fore[kColCol], c.fore) << c.col;
    EXPECT_EQ(list.Row(row).back[kColServerIp], c.back) << c.col;
  }
  ProxyList list;
  int row = AddPainted(list, Row("", "", ""));
  EXPECT_EQ(list.Row(row).fore[kColComment], kSystemWindowText);
  EXPECT_EQ(list.Row(row).back[kColComment], kSystemWindowBackground);
  EXPECT_EQ(list.Selection().top, row) << "the painted row is selected";
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
  EXPECT_EQ(picture("OK", ""), CellPicture::None);
  EXPECT_EQ(picture("--", "Y"), CellPicture::None) << "a failed row never gets a picture";
}

TEST(UseCellAsProxy, picksTheAddressColumnUnderTheClick) {
  ProxyList list;
  AppSettings settings;
  MemoryProxyFields fields;
  list.AddRow({"", "     10.0.0.1:80", "proxy.example.com:8080", "note"});
  list.AddRow({"", "     ", "name.example.org:3128"});
  list.AddRow({"", "     10.0.0.3", "no-port"});
  list.SetProtocolAt(list.AddRow({"", "     10.0.0.4:1080"}), "socks4a");
  list.SetProtocolAt(list.AddRow({"", "     10.0.0.5:443"}), "https");
  auto Use = [&](int row, int col, int protocol) {
    list.SetCurrentRow(row);
    settings.GridCol = col;
    fields.fields.servers = {"unchanged", "unchanged", "unchanged", "unchanged"};
    fields.fields.socks = "unchanged";
    UseCellAsProxy(list, settings, fields, protocol);
    std::string joined = fields.fields.socks;
    for (const std::string& server : fields.fields.servers) joined += "|" + server;
    return joined;
  };
  EXPECT_EQ(Use(1, kColComment, 1),
            "unchanged|unchanged|proxy.example.com:8080|unchanged|unchanged");
  EXPECT_EQ(Use(2, kColServerIp, 2),
            "unchanged|unchanged|unchanged|name.example.org:3128|unchanged")
      << "empty IP falls back to name";
  EXPECT_EQ(Use(3, kColServerName, 0), "unchanged|unchanged|unchanged|unchanged|unchanged")
      << "a cell without ':' changes nothing";
  EXPECT_EQ(Use(4, kColServerIp, 0), "10.0.0.4:1080|unchanged|unchanged|unchanged|unchanged")
      << "a SOCKS row goes into the SOCKS field whatever is chosen";
  EXPECT_EQ(Use(5, kColServerIp, 1), "unchanged|unchanged|10.0.0.5:443|unchanged|unchanged");
  EXPECT_EQ(Use(1, kColServerIp, kSocksProtocol),
            "10.0.0.1:80|unchanged|unchanged|unchanged|unchanged");
}

}  // namespace
}  // namespace quillet
