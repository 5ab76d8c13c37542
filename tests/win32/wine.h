#pragma once
// Wine stands in for Windows when these tests run on Linux. Where Wine is known to differ from
// Windows, a test checks what Wine really does and marks the difference with NoteWineGap, which
// prints "[ WINE GAP ]" (the test command lists every such line) and records it in the results.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace quillet::testing {

inline bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

inline void NoteWineGap(const std::string& what) {
  std::printf("[ WINE GAP ] %s: %s\n",
              ::testing::UnitTest::GetInstance()->current_test_info()->name(), what.c_str());
  std::fflush(stdout);
  ::testing::Test::RecordProperty("wine_gap", what);
}

}  // namespace quillet::testing
