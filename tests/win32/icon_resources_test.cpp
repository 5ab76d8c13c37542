// The icons the program file carries: the toolbar button names groups 101 and 102.
#include <gtest/gtest.h>
#include <windows.h>

TEST(IconResources, groups101And102HoldAnImageOfEverySizeTheShellAsksFor) {
  HMODULE program = GetModuleHandleA(nullptr);
  for (int id : {101, 102}) {
    HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
    ASSERT_NE(group, nullptr) << "icon group " << id;
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(program, group)));
    for (int size : {16, 24, 32, 48}) {  // exact images, none the shell would have to scale
      int image = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
      HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(image), MAKEINTRESOURCEA(3));
      ASSERT_NE(found, nullptr) << id << " at " << size;
      auto* header = static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(program, found)));
      EXPECT_EQ(header->biWidth, size) << "icon group " << id;
    }
  }
}
