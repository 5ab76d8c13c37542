// The commands on a list's rows: add, edit, delete, sort, copy, resolve, colour, use as proxy
// and cancel a run.
#include <gtest/gtest.h>

#include "fakes/fake_resolver.h"
#include "proxylist/grid_mouse.h"
#include "proxylist/list_commands.h"
#include "proxylist/list_test_support.h"
#include "proxylist/resolve_rows.h"
#include "proxylist/row_colour.h"
#include "proxylist/row_painting.h"

namespace quillet {
namespace {

using testing::ListFixture;

class CommandsTest : public ListFixture {
 protected:
  std::vector<std::string> Column(int col) const {
    std::vector<std::string> cells;
    for (int row = 1; row <= list.LastRow(); ++row) cells.push_back(list.Text(row, col));
    return cells;
  }
  // A right-click on the title of `col` with the rows first..last selected.
  void TitleClick(int col, int first, int last) {
    list.MouseY = 10;
    list.SetCurrentCol(col);
    list.SetSelectionEndCol(col);
    list.SetCurrentRow(first);
    list.SetSelectionEndRow(last);
  }
  void Resolve(bool get_name) {
    ResolveRows(
        Window(), resolver, get_name, [this](const std::string& text) { captions.push_back(text); },
        "Base");
  }
  testing::FakeResolver resolver;
  std::vector<std::string> captions;
};

TEST_F(CommandsTest, editCommentWalksTheSelectedRows) {
  for (int i = 0; i < 4; ++i) Add("10.0.0." + std::to_string(i) + ":80");
  list.SetText(2, kColComment, "Old");
  list.SetText(3, kColComment, "keep");
  Select(2, 4);
  ui.text_answers = {"OLD", "", "a|b "};
  EditCommentCommand(Window());
  EXPECT_EQ(Column(kColComment), (std::vector<std::string>{"", "Old", "keep", "a/b"}));
  settings.ListDirty = false;
  Select(2, 2);
  ui.text_answers = {"old"};
  EditCommentCommand(Window());
  EXPECT_FALSE(settings.ListDirty) << "a change of letter case only is no change";
  ui.text_answers = {" "};
  Select(2, 2);
  EditCommentCommand(Window());
  EXPECT_EQ(list.Text(2, kColComment), "");
  EXPECT_TRUE(settings.ListDirty);
}

// Deleting a selected block, and refusing to while a run holds the rows, are proven through
// the list panel.
TEST_F(CommandsTest, bulkDeletesExamineAdjacentMatchesAndTheLastRow) {
  int i = 0;
  for (auto [status, secure] : std::vector<std::pair<const char*, const char*>>{
           {"OK", "Y"}, {"--", ""}, {"", ""}, {"ok", "n"}, {"OK", "N"}, {"OK", "?"}, {"403", ""}})
    Add("10.0.0." + std::to_string(++i) + ":80", "", status, secure);
  DeleteNonRespondingCommand(Window());
  EXPECT_EQ(Column(kColSecure), (std::vector<std::string>{"Y", "n", "N", "?"}));
  EXPECT_TRUE(settings.ListDirty);
  DeleteNonAnonymousCommand(Window());
  EXPECT_EQ(Column(kColSecure), (std::vector<std::string>{"Y", "?"}));
}

// Copying a filled cell is proven through the list panel's popup.
TEST_F(CommandsTest, copyingAnEmptyCellEmptiesTheClipboard) {
  Add("10.0.0.1:80", "name.example.com:80");
  list.SetCurrentRow(1);
  list.MouseX = 2000 + 2500 + 10;  // the Comment column
  list.MouseY = 300;
  CopyCellCommand(Window());
  EXPECT_EQ(ui.clipboard, "");
  EXPECT_FALSE(settings.ListDirty);
}

TEST_F(CommandsTest, numericSortsOrderAddressesThenPortsAndPutEmptyCellsLast) {
  Add("10.0.0.10:80", "", "", "", "120");
  Add("", "by.name:1", "", "", "");
  Add("10.0.0.9:8080", "", "", "", "9");
  Add("10.0.0.9:443", "", "", "", "1000");
  Add("9.255.0.1:80", "", "", "", "0");
  list.MouseY = 400;
  SortByColumn(Window(), true);
  EXPECT_EQ(ui.last_message(), "Right-click on a column title to sort");
  EXPECT_FALSE(settings.ListDirty) << "no title click: no sort";
  TitleClick(kColServerIp, 1, 5);
  SortByColumn(Window(), true);
  EXPECT_EQ(Column(kColServerIp),
            (std::vector<std::string>{"     9.255.0.1:80", "     10.0.0.9:443",
                                      "     10.0.0.9:8080", "     10.0.0.10:80", "     "}));
  TitleClick(kColPing, 1, 5);
  SortByColumn(Window(), false);
  EXPECT_EQ(Column(kColPing), (std::vector<std::string>{"1000", "120", "9", "0", ""}));
  EXPECT_TRUE(settings.ListDirty);
}

TEST_F(CommandsTest, textSortsIgnoreCaseAndOnlyTheSelectedBlockMoves) {
  for (const char* name : {"z:1", "b:1", "A:1", "c:1", "a:2"}) Add("", name);
  TitleClick(kColServerName, 2, 4);
  SortByColumn(Window(), true);
  EXPECT_EQ(Column(kColServerName), (std::vector<std::string>{"z:1", "A:1", "b:1", "c:1", "a:2"}));
  TitleClick(kColServerName, 1, 5);
  SortByColumn(Window(), false);
  EXPECT_EQ(Column(kColServerName), (std::vector<std::string>{"z:1", "c:1", "b:1", "a:2", "A:1"}));
  std::vector<std::string> levels = {"", "transparent", "elite", "anonymous", ""};
  for (int row = 1; row <= 5; ++row) list.SetText(row, kColSecure, "Y");
  for (int row = 1; row <= 5; ++row) list.SetAnonymityAt(row, levels[size_t(row - 1)]);
  TitleClick(kColSecure, 1, 5);
  SortByColumn(Window(), false);
  EXPECT_EQ(Column(kColServerName), (std::vector<std::string>{"b:1", "a:2", "c:1", "z:1", "A:1"}));
}

TEST(RecordedColCell, encodesTextAndBackgroundChoices) {
  EXPECT_EQ(RecordedColCell("", 12, ColorTarget::Text), "12;15");
  EXPECT_EQ(RecordedColCell("12;15", 14, ColorTarget::Background), "12;14");
  EXPECT_EQ(RecordedColCell("", 14, ColorTarget::Background), ";14");
  EXPECT_EQ(RecordedColCell("9", 13, ColorTarget::Background), ";13");
  EXPECT_EQ(RecordedColCell(";x", 8, ColorTarget::Text), "0;0");
  EXPECT_EQ(RecordedColCell(";11", 10, ColorTarget::Text), "2;11");
  EXPECT_EQ(RecordedColCell("3;4", -1, ColorTarget::Background), "");
}

TEST_F(CommandsTest, getNameFillsNamesAndCountsInTheCaption) {
  resolver.names["10.0.0.1"] = "one.test";
  Add("10.0.0.1:80", "");
  Add("10.0.0.2:81", "old:81");
  Add("", "");
  Select(1, 3);
  Resolve(true);
  EXPECT_EQ(list.Text(1, kColServerName), "one.test:80");
  EXPECT_EQ(list.Text(2, kColServerName), "old:81") << "a failed look-up keeps the cell";
  EXPECT_EQ(captions, (std::vector<std::string>{"Quillet resolve name/IP 1 of 3     (10.0.0.1:80)",
                                                "Quillet resolve name/IP 2 of 3     (10.0.0.2:81)",
                                                "Quillet resolve name/IP 3 of 3     ()", "Base"}));
}

TEST_F(CommandsTest, getIpWritesIndentedAddressesAndStopsAtACellWithoutPort) {
  resolver.addresses["a.test"] = {"127.0.1.11"};
  Add("", "a.test:3128");
  Add("", "noport");
  Add("", "a.test:1");
  Select(1, 3);
  Resolve(false);
  EXPECT_EQ(list.Text(1, kColServerIp), "     127.0.1.11:3128");
  EXPECT_EQ(list.Text(3, kColServerIp), "     ") << "the run ended at row 2";
  EXPECT_FALSE(settings.Resolving) << "the rows are free again after the report";
  EXPECT_NE(ui.last_message().find("F20"), std::string::npos);
}

TEST_F(CommandsTest, cancellingAVerificationRestoresTheRowsLeft) {
  for (int i = 1; i <= 5; ++i) Add("10.0.0." + std::to_string(i) + ":80", "", "OK", "Y");
  list.FailColor = Rgb(1, 1, 1);
  list.SetText(4, kColStatus, "");
  list.SetText(5, kColCol, "3;11");
  for (int cell = 0; cell < 5 * kColumnCount; ++cell)
    list.SetCellBackColorAt(1 + cell / kColumnCount, cell % kColumnCount, Rgb(255, 192, 128));
  settings.SelectedLines.assign(5, "line");
  settings.Verifying = true;
  settings.GridRow = 3;  // rows 1 and 2 are done
  list.TopRow = 1;
  ui.message_answers = {MessageAnswer::No, MessageAnswer::Yes};
  GridMouseDown(Window(), MouseButton::Left, 0, 0);
  EXPECT_TRUE(settings.Verifying);
  GridMouseDown(Window(), MouseButton::Left, 0, 0);
  EXPECT_EQ(ui.messages[0].text, "Cancel verification? ");
  EXPECT_FALSE(settings.Verifying);
  EXPECT_EQ(list.TopRow, 5);
  // Verified rows keep their colours; the rest get their resting ones.
  EXPECT_EQ(std::make_tuple(list.Row(2).back[5], list.Row(3).back[5], list.Row(4).back[5],
                            list.Row(5).back[0]),
            std::make_tuple(Rgb(255, 192, 128), PaletteColor(15), Rgb(1, 1, 1), PaletteColor(11)));
}

// "-" marks a field the double-click left alone; the SOCKS field comes first.
TEST(UseCellAsProxy, picksTheAddressColumnUnderTheClick) {
  ProxyList list;
  AppSettings settings;
  MemoryProxyFields fields;
  list.AddRow({"", "     10.0.0.1:80", "proxy.example.com:8080", "note"});
  list.AddRow({"", "     ", "name.example.org:3128"});
  list.AddRow({"", "     10.0.0.3", "no-port"});
  list.SetProtocolAt(list.AddRow({"", "     10.0.0.4:1080"}), "socks4a");
  list.SetProtocolAt(list.AddRow({"", "     10.0.0.5:443"}), "https");
  const struct {
    int row, col, protocol;
    const char* fields;
  } kClicks[] = {
      {1, kColComment, 1, "-|-|proxy.example.com:8080|-|-"},
      {2, kColServerIp, 2, "-|-|-|name.example.org:3128|-"},  // an empty IP gives the name
      {3, kColServerName, 0, "-|-|-|-|-"},                    // a cell without ':' gives nothing
      {4, kColServerIp, 0, "10.0.0.4:1080|-|-|-|-"},          // a SOCKS row whatever is chosen
      {5, kColServerIp, 1, "-|-|10.0.0.5:443|-|-"},
      {1, kColServerIp, kSocksProtocol, "10.0.0.1:80|-|-|-|-"},
  };
  for (const auto& click : kClicks) {
    list.SetCurrentRow(click.row);
    settings.GridCol = click.col;
    fields.fields.servers = {"-", "-", "-", "-"};
    fields.fields.socks = "-";
    UseCellAsProxy(list, settings, fields, click.protocol);
    std::string joined = fields.fields.socks;
    for (const std::string& server : fields.fields.servers) joined += "|" + server;
    EXPECT_EQ(joined, click.fields) << click.row;
  }
}

}  // namespace
}  // namespace quillet
