#include "browser/connection_list.h"

#include <gtest/gtest.h>

#include "app/proxy_fields.h"
#include "fakes/fake_user_interface.h"
#include "fakes/listed_phonebook.h"

namespace quillet {
namespace {

using testing::ListedPhonebook;

TEST(FillConnectionList, EntriesFollowInOrderAndAFailureAddsNothing) {
  ListedPhonebook phonebook;
  phonebook.names = {"Zeta", "Alpha", std::string(256, 'n')};
  testing::FakeUserInterface ui;
  std::vector<std::string> items{kLanConnection};
  FillConnectionList(phonebook, ui, items);
  EXPECT_EQ(items,
            (std::vector<std::string>{kLanConnection, "Zeta", "Alpha", std::string(256, 'n')}));
  EXPECT_TRUE(ui.messages.empty());

  ListedPhonebook broken;
  broken.fail_with = 623;
  items = {kLanConnection};
  FillConnectionList(broken, ui, items);
  EXPECT_EQ(items.size(), 1u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("F24"), std::string::npos);
}

}  // namespace
}  // namespace quillet
