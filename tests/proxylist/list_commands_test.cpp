#include "proxylist/list_commands.h"

#include "fakes/fake_resolver.h"
#include "proxylist/list_test_support.h"

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
  void AddNew(const std::string& answer) {
    ui.text_answers = {answer};
    AddNewCommand(Window(), resolver);
  }
  // A right-click on the title of `col` with the rows first..last selected.
  void TitleClick(int col, int first, int last) {
    list.MouseY = 10;
    list.SetCurrentCol(col);
    list.SetSelectionEndCol(col);
    list.SetCurrentRow(first);
    list.SetSelectionEndRow(last);
  }
  testing::FakeResolver resolver;
};

TEST_F(CommandsTest, addNewBuildsRowsFromNamesAndAddresses) {
  resolver.addresses["proxy.example.com"] = {"127.0.1.11", "127.0.1.12"};
  resolver.names["127.0.1.13"] = "farm.test";
  AddNew("  proxy.example.com : 8080 ");
  AddNew("127.0.1.13:3128");
  AddNew("unknown.test:81");
  AddNew("127.0.1.14:1|2");
  AddNew("SOCKS5://127.0.1.14:1080");
  ASSERT_EQ(list.Rows(), 5) << "a bar in the port is not a number";
  EXPECT_EQ(list.Text(4, kColServerIp), "     127.0.1.14:1080");
  EXPECT_EQ(list.Row(1).protocol() + "|" + list.Row(4).protocol(), "|socks5");
  EXPECT_EQ(list.Text(1, kColServerIp), "     127.0.1.11:8080");
  EXPECT_EQ(list.Text(1, kColServerName), "proxy.example.com:8080");
  EXPECT_EQ(list.Text(2, kColServerName), "farm.test:3128");
  EXPECT_EQ(list.Text(3, kColServerIp), "     ");
  EXPECT_TRUE(settings.ListDirty);
  EXPECT_EQ(ui.last_message(), "Port not numeric in 127.0.1.14:1/2");
}

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
  Add("10.0.0.1:80", "", "OK", "Y");
  Add("10.0.0.2:80", "", "--");
  Add("10.0.0.3:80", "", "");
  Add("10.0.0.4:80", "", "ok", "n");
  Add("10.0.0.5:80", "", "OK", "N");
  Add("10.0.0.6:80", "", "OK", "?");
  Add("10.0.0.7:80", "", "403");
  DeleteNonRespondingCommand(Window());
  EXPECT_EQ(Column(kColSecure), (std::vector<std::string>{"Y", "n", "N", "?"}));
  EXPECT_TRUE(settings.ListDirty);
  DeleteNonAnonymousCommand(Window());
  EXPECT_EQ(Column(kColSecure), (std::vector<std::string>{"Y", "?"}));
}

TEST_F(CommandsTest, copyCellTakesTheColumnUnderThePointer) {
  Add("10.0.0.1:80", "name.example.com:80");
  list.SetCurrentRow(1);
  list.MouseX = 2000 + 10;
  list.MouseY = 300;
  CopyCellCommand(Window());
  EXPECT_EQ(ui.clipboard, "name.example.com:80");
  list.MouseX = 2000 + 2500 + 10;
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

}  // namespace
}  // namespace quillet
