#include "browser/connection_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/proxy_fields.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

// A phonebook that answers like the system: first the size it needs, then the records.
struct ListedPhonebook : Phonebook {
  std::vector<std::string> names;
  long fail_with = 0;
  long EnumEntries(uint8_t* records, uint32_t& size, uint32_t& entries) override {
    if (fail_with) return fail_with;
    uint32_t needed = static_cast<uint32_t>(names.size()) * kEntryRecordSize;
    entries = static_cast<uint32_t>(names.size());
    if (names.empty()) return 0;
    if (size < needed) {
      size = needed;
      return kPhonebookBufferTooSmall;
    }
    for (size_t i = 0; i < names.size(); ++i) {
      uint8_t* record = records + i * kEntryRecordSize;
      std::memcpy(record, &kEntryRecordSize, 4);
      std::memcpy(record + 4, names[i].data(), names[i].size());
    }
    return 0;
  }
};

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

TEST(EntryNameToText, StopsAtZeroAndNeverTakesTheLastByte) {
  const uint8_t bytes[] = {'a', 'b', 0, 'c', 'd'};
  EXPECT_EQ(EntryNameToText(bytes, 5), "ab");
  const uint8_t full[] = {'a', 'b', 'c'};
  EXPECT_EQ(EntryNameToText(full, 3), "ab");
  EXPECT_EQ(EntryNameToText(full, 0), "");
}

}  // namespace
}  // namespace quillet
