// Services of the window: documents and browsers started, the connection list, the Java flag.
#include <gtest/gtest.h>

#include "app/main_window_texts.h"
#include "app/proxy_fields.h"
#include "browser/connection_list.h"
#include "browser/java_indicator.h"
#include "browser/launch.h"
#include "browser/memory_registry.h"
#include "fakes/fake_browser_pickup.h"
#include "fakes/fake_user_interface.h"
#include "fakes/listed_phonebook.h"

namespace quillet {
namespace {

using testing::RecordingShell;

TEST(LaunchDocument, OnlyTheDocumentFormBelongsToTheActiveWindow) {
  RecordingShell shell;
  testing::FakeUserInterface ui;
  LaunchDocument(shell, ui, "", "/lists/Quillet.txt", kShowNormal);
  LaunchDocument(shell, ui, kBrowserProgram, "http://127.0.0.1/help.htm", kShowMinimised);
  LaunchDocument(shell, ui, "http://127.0.0.1/", "", kShowNormal);
  EXPECT_EQ(shell.opened, (std::vector<std::string>{" /lists/Quillet.txt 1",
                                                    "IEXPLORE.EXE http://127.0.0.1/help.htm 2",
                                                    "http://127.0.0.1/  1 owned"}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST(LaunchDocument, FailureCodesShowTheirMessages) {
  for (auto [code, text] : std::vector<std::pair<int, std::string>>{
           {2, "File Not Found"}, {31, "No application found for this file"}, {33, ""}, {32, ""}}) {
    RecordingShell shell;
    shell.result = code;
    testing::FakeUserInterface ui;
    LaunchDocument(shell, ui, "", "missing.txt", kShowNormal);
    ASSERT_EQ(ui.messages.size(), text.empty() ? 0u : 1u) << code;
    for (const auto& shown : ui.messages) {
      EXPECT_EQ(shown.text + "|" + shown.title, text + "|Shell problem");
      EXPECT_TRUE(shown.icon == MessageIcon::Error && shown.buttons == MessageButtons::Ok);
    }
  }
}

TEST(FillConnectionList, EntriesFollowInOrderAndAFailureAddsNothing) {
  testing::ListedPhonebook phonebook;
  phonebook.names = {"Zeta", "Alpha", std::string(256, 'n')};
  testing::FakeUserInterface ui;
  std::vector<std::string> items{kLanConnection};
  FillConnectionList(phonebook, ui, items);
  EXPECT_EQ(items,
            (std::vector<std::string>{kLanConnection, "Zeta", "Alpha", std::string(256, 'n')}));
  EXPECT_TRUE(ui.messages.empty());

  testing::ListedPhonebook broken;
  broken.fail_with = 623;
  items = {kLanConnection};
  FillConnectionList(broken, ui, items);
  EXPECT_EQ(items.size(), 1u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("F24"), std::string::npos);
}

TEST(JavaIsOn, onlyBytesOtherThanZeroOrBlankTurnItOn) {
  testing::FakeUserInterface ui;
  MemoryRegistry empty;
  EXPECT_FALSE(JavaIsOn(empty, ui));  // no key at all
  for (const auto& [data, on] : {std::pair<std::string, bool>{std::string("\0\0\0\0", 4), false},
                                 {std::string(" \0 \0", 4), false},
                                 {std::string("\0\0\x01\0", 4), true}}) {
    MemoryRegistry registry;
    registry.Add({kHkeyCurrentUser, kInternetZoneKey, {{kJavaValue, 3, data}}});
    EXPECT_EQ(JavaIsOn(registry, ui), on);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(MainWindowTexts, captionSaysWhenThereIsOnlyLoopback) {
  EXPECT_EQ(BaseCaption("127.0.0.1"), "Quillet            no network, only loopback: 127.0.0.1");
}

}  // namespace
}  // namespace quillet
