#include "browser/launch.h"

#include <gtest/gtest.h>

#include "fakes/fake_browser_pickup.h"
#include "fakes/fake_user_interface.h"

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

}  // namespace
}  // namespace quillet
