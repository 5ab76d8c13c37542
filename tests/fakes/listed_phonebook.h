#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "browser/connection_list.h"

namespace quillet::testing {

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

}  // namespace quillet::testing
