// The phonebook, the shell, new identifiers and the browser pickup on the real system, and the
// icons the program file carries (the toolbar button names groups 101 and 102).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "browser/connection_list.h"
#include "browser/launch.h"
#include "fakes/fake_user_interface.h"
#include "fakes/temp_dir.h"
#include "platform/win32/co_create_guid_source.h"
#include "platform/win32/ras_phonebook.h"
#include "platform/win32/shell_execute_shell.h"
#include "platform/win32/shell_windows_browser_pickup.h"
#include "win32/wine.h"

namespace quillet {
namespace {

using testing::WineDiffers;
using testing::WineGap;

TEST(RasPhonebook, listsTheEntriesAfterTheLocalNetwork) {
  RasPhonebook phonebook;
  uint8_t record[kEntryRecordSize] = {kEntryRecordSize & 0xff, kEntryRecordSize >> 8};
  uint32_t size = 0, entries = 99;
  long first = phonebook.EnumEntries(record, size, entries);
  ASSERT_TRUE(first == 0 || first == kPhonebookBufferTooSmall) << first;
  EXPECT_TRUE(first != 0 || entries == 0);  // an empty answer counts no entries

  testing::FakeUserInterface ui;
  std::vector<std::string> items = {"LAN (default)"};
  FillConnectionList(phonebook, ui, items);
  EXPECT_TRUE(ui.messages.empty()) << ui.last_message();  // the 264-byte records are accepted
  EXPECT_EQ(items.front(), "LAN (default)");
  EXPECT_EQ(items.size(), 1 + entries);
  if (entries == 0) WineDiffers(WineGap::kPhonebookHasNoEntries);
}

TEST(ShellExecuteShell, failuresGiveTheShellsCodesAndProgramsGetTheirCommandLine) {
  testing::TempDir dir;
  ShellExecuteShell shell;
  testing::FakeUserInterface ui;
  LaunchDocument(shell, ui, "", dir / "missing.txt", kShowNormal);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "File Not Found");

  std::string unknown = dir / "list.quillet-no-such-type";
  std::ofstream(unknown) << "x";
  EXPECT_EQ(shell.Open(unknown, "", kShowMinimised, true), 31);  // no program for the type

  std::string marker = dir / "ran.txt";
  // The command interpreter writes the marker and ends at once.
  int result = shell.Open("cmd.exe", "/c echo ran> \"" + marker + "\"", kShowMinimised, false);
  EXPECT_GT(result, 32);
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!std::ifstream(marker) && std::chrono::steady_clock::now() < give_up) Sleep(50);
  EXPECT_TRUE(std::ifstream(marker).good()) << "the program did not run";
}

TEST(CoCreateGuidSource, makesNewVersionFourIdentifiers) {
  CoCreateGuidSource source;
  std::optional<Guid> guid = source.NewGuid(), other = source.NewGuid();
  ASSERT_TRUE(guid && other);
  EXPECT_EQ(guid->data3 >> 12, 4) << "random identifiers carry version 4";
  EXPECT_EQ(guid->data4[0] & 0xc0, 0x80) << "and the standard variant";
  EXPECT_NE(GuidText(*guid), GuidText(*other));
}

TEST(ShellWindowsBrowserPickup, startsAtTheIndicatorPageAndGivesUpInTime) {
  ShellWindowsBrowserPickup pickup(std::chrono::milliseconds(600));
  for (int mode : {0, 1, 2}) EXPECT_EQ(pickup.StartAddress(mode, "judge/"), "about:quillet");
  testing::FakeUserInterface ui;
  auto started = std::chrono::steady_clock::now();
  pickup.CloseStartedBrowser("about:quillet", ui);  // no browser was started
  auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_GE(waited, std::chrono::milliseconds(600));
  EXPECT_LT(waited, std::chrono::seconds(60));  // the first look may start the shell's service
  // Events run before the first look and after every look.
  EXPECT_GE(ui.pending_event_calls, 2);
}

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

}  // namespace
}  // namespace quillet
