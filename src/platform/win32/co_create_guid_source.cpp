#include "platform/win32/co_create_guid_source.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>

namespace quillet {

std::optional<Guid> CoCreateGuidSource::NewGuid() {
  GUID made;
  if (CoCreateGuid(&made) != S_OK) return std::nullopt;
  Guid guid;
  guid.data1 = made.Data1;
  guid.data2 = made.Data2;
  guid.data3 = made.Data3;
  std::copy(std::begin(made.Data4), std::end(made.Data4), guid.data4.begin());
  return guid;
}

}  // namespace quillet
