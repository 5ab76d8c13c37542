#pragma once
// The connections offered besides the local network: the entries of the user's default
// dial-up phonebook, in the order the system lists them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/user_interface.h"

namespace quillet {

// One phonebook entry record: a 32-bit record size, then the name (at most 256 characters and
// a zero byte), padded to the record size.
inline constexpr uint32_t kEntryRecordSize = 264;
inline constexpr size_t kEntryNameOffset = 4;
inline constexpr size_t kEntryNameBytes = 257;
inline constexpr long kPhonebookBufferTooSmall = 603;

class Phonebook {
 public:
  virtual ~Phonebook() = default;
  // Fills `records` (of `size` bytes; the first record's size field set by the caller) with
  // one record per entry. 0 with the number of entries, 603 with the size needed when the
  // buffer is too small, another code on failure.
  virtual long EnumEntries(uint8_t* records, uint32_t& size, uint32_t& entries) = 0;
};

// The characters up to the first zero byte, never including the array's last byte.
std::string EntryNameToText(const uint8_t* bytes, size_t length);

// Appends the entry names to `items`; a failure is reported and appends nothing.
void FillConnectionList(Phonebook& phonebook, UserInterface& ui, std::vector<std::string>& items);

}  // namespace quillet
