#include "platform/win32/ras_phonebook.h"

#include <windows.h>

#include <ras.h>

namespace quillet {

long RasPhonebook::EnumEntries(uint8_t* records, uint32_t& size, uint32_t& entries) {
  DWORD bytes = size;
  DWORD count = 0;
  // The records keep the 264-byte layout that Windows still accepts (size field, 257-byte name).
  DWORD result =
      RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(records), &bytes, &count);
  size = bytes;
  entries = count;
  return static_cast<long>(result);
}

}  // namespace quillet
