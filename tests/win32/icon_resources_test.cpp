// The icons the program file carries: the toolbar button names groups 101 and 102.
#include <gtest/gtest.h>
#include <windows.h>

namespace quillet {
namespace {

TEST(IconResources, groups101And102HoldEverySizeTheShellAsksFor) {
  HMODULE program = GetModuleHandleA(nullptr);
  for (int id : {101, 102}) {
    HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
    ASSERT_NE(group, nullptr) << "icon group " << id;
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(program, group)));
    for (int size : {16, 24, 32, 48, 256}) {
      // An exact image of this size, not one the shell would have to scale.
      int image = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
      HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(image), MAKEINTRESOURCEA(3));
      ASSERT_NE(found, nullptr) << id << " at " << size;
      auto* data = static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
      bool png = memcmp(data, "\x89PNG", 4) == 0;  // the large image is stored as PNG
      LONG width =
          png ? data[18] << 8 | data[19] : reinterpret_cast<const BITMAPINFOHEADER*>(data)->biWidth;
      EXPECT_EQ(width, size) << "icon group " << id;
    }
  }
}

}  // namespace
}  // namespace quillet
