#include "browser/connection_list.h"

#include <algorithm>
#include <cstring>

#include "app/error_report.h"
#include "core/errors.h"

namespace quillet {
namespace {

void PutRecordSize(uint8_t* record, uint32_t size) {
  std::memcpy(record, &size, sizeof size);
}

uint32_t RecordSize(const uint8_t* record) {
  uint32_t size = 0;
  std::memcpy(&size, record, sizeof size);
  return size;
}

[[noreturn]] void PhonebookFailed(long code) {
  throw RunTimeError(
      code, "The phonebook entries could not be listed (error " + std::to_string(code) + ").");
}

}  // namespace

std::string EntryNameToText(const uint8_t* bytes, size_t length) {
  std::string text;
  for (size_t i = 0; i + 1 < length && bytes[i] != 0; ++i)
    text.push_back(static_cast<char>(bytes[i]));
  return text;
}

void FillConnectionList(Phonebook& phonebook, UserInterface& ui, std::vector<std::string>& items) {
  RunGuarded(ui, tags::kConnectionList, [&] {
    std::vector<uint8_t> probe(kEntryRecordSize, 0);
    PutRecordSize(probe.data(), kEntryRecordSize);
    uint32_t size = 0;
    uint32_t entries = 0;
    long code = phonebook.EnumEntries(probe.data(), size, entries);
    if (code == 0) return;
    if (code != kPhonebookBufferTooSmall) PhonebookFailed(code);
    std::vector<uint8_t> block(std::max<size_t>(size, kEntryRecordSize), 0);
    PutRecordSize(block.data(), kEntryRecordSize);
    code = phonebook.EnumEntries(block.data(), size, entries);
    if (code != 0) PhonebookFailed(code);
    uint32_t step = RecordSize(block.data());
    if (step < kEntryNameOffset + 1) PhonebookFailed(code);
    std::vector<std::string> names;
    for (size_t i = 0; i < entries && (i + 1) * step <= block.size(); ++i) {
      const uint8_t* record = block.data() + i * step;
      size_t name_bytes = std::min<size_t>(kEntryNameBytes, step - kEntryNameOffset);
      names.push_back(EntryNameToText(record + kEntryNameOffset, name_bytes));
    }
    items.insert(items.end(), names.begin(), names.end());
  });
}

}  // namespace quillet
