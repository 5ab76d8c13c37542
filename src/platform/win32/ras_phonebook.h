#pragma once
#include "browser/connection_list.h"

namespace quillet {

// The user's default dial-up phonebook through RasEnumEntriesA, with its 264-byte records.
class RasPhonebook : public Phonebook {
 public:
  long EnumEntries(uint8_t* records, uint32_t& size, uint32_t& entries) override;
};

}  // namespace quillet
