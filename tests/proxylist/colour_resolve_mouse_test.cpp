#include "fakes/fake_resolver.h"
#include "proxylist/grid_mouse.h"
#include "proxylist/list_test_support.h"
#include "proxylist/resolve_rows.h"
#include "proxylist/row_colour.h"

namespace quillet {
namespace {

using testing::ListFixture;

TEST(RecordedColCell, encodesTextAndBackgroundChoices) {
  EXPECT_EQ(RecordedColCell("", 12, ColorTarget::Text), "12;15");
  EXPECT_EQ(RecordedColCell("12;15", 14, ColorTarget::Background), "12;14");
  EXPECT_EQ(RecordedColCell("", 14, ColorTarget::Background), ";14");
  EXPECT_EQ(RecordedColCell("9", 13, ColorTarget::Background), ";13");
  EXPECT_EQ(RecordedColCell(";x", 8, ColorTarget::Text), "0;0");
  EXPECT_EQ(RecordedColCell(";11", 10, ColorTarget::Text), "2;11");
  EXPECT_EQ(RecordedColCell("3;4", -1, ColorTarget::Background), "");
}

class ResolveTest : public ListFixture {
 protected:
  void Run(bool get_name) {
    ResolveRows(
        Window(), resolver, get_name, [this](const std::string& text) { captions.push_back(text); },
        "Base");
  }
  testing::FakeResolver resolver;
  std::vector<std::string> captions;
};

TEST_F(ResolveTest, getNameFillsNamesAndCountsInTheCaption) {
  resolver.names["10.0.0.1"] = "one.test";
  Add("10.0.0.1:80", "");
  Add("10.0.0.2:81", "old:81");
  Add("", "");
  Select(1, 3);
  Run(true);
  EXPECT_EQ(list.Text(1, kColServerName), "one.test:80");
  EXPECT_EQ(list.Text(2, kColServerName), "old:81") << "a failed look-up keeps the cell";
  EXPECT_EQ(captions, (std::vector<std::string>{"Quillet resolve name/IP 1 of 3     (10.0.0.1:80)",
                                                "Quillet resolve name/IP 2 of 3     (10.0.0.2:81)",
                                                "Quillet resolve name/IP 3 of 3     ()", "Base"}));
}

TEST_F(ResolveTest, getIpWritesIndentedAddressesAndStopsAtACellWithoutPort) {
  resolver.addresses["a.test"] = {"127.0.1.11"};
  Add("", "a.test:3128");
  Add("", "noport");
  Add("", "a.test:1");
  Select(1, 3);
  Run(false);
  EXPECT_EQ(list.Text(1, kColServerIp), "     127.0.1.11:3128");
  EXPECT_EQ(list.Text(3, kColServerIp), "     ") << "the run ended at row 2";
  EXPECT_FALSE(settings.Resolving) << "the rows are free again after the report";
  EXPECT_NE(ui.last_message().find("F20"), std::string::npos);
}

using MouseTest = ListFixture;

TEST_F(MouseTest, cancellingAVerificationRestoresTheRowsLeft) {
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
  EXPECT_EQ(list.Row(2).back[5], Rgb(255, 192, 128)) << "verified rows keep their colours";
  EXPECT_EQ(list.Row(3).back[5], PaletteColor(15));
  EXPECT_EQ(list.Row(4).back[5], Rgb(1, 1, 1));
  EXPECT_EQ(list.Row(5).back[0], PaletteColor(11));
}

}  // namespace
}  // namespace quillet
