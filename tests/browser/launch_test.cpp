#include "browser/launch.h"

#include <gtest/gtest.h>

#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

struct ScriptedShell : Shell {
  int result = 42;
  std::vector<std::tuple<std::string, std::string, int, bool>> calls;
  int Open(const std::string& file, const std::string& parameters, int show, bool owned) override {
    calls.emplace_back(file, parameters, show, owned);
    return result;
  }
};

TEST(LaunchDocument, OnlyTheDocumentFormBelongsToTheActiveWindow) {
  ScriptedShell shell;
  testing::FakeUserInterface ui;
  LaunchDocument(shell, ui, "", "/lists/Quillet.txt", kShowNormal);
  LaunchDocument(shell, ui, kBrowserProgram, "http://127.0.0.1/help.htm", kShowMinimised);
  LaunchDocument(shell, ui, "http://127.0.0.1/", "", kShowNormal);
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[0], std::make_tuple("", "/lists/Quillet.txt", 1, false));
  EXPECT_EQ(shell.calls[1], std::make_tuple("IEXPLORE.EXE", "http://127.0.0.1/help.htm", 2, false));
  EXPECT_EQ(shell.calls[2], std::make_tuple("http://127.0.0.1/", "", 1, true));
  EXPECT_TRUE(ui.messages.empty());
}

TEST(LaunchDocument, FailureCodesShowTheirMessages) {
  struct Case {
    int code;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{{2, "File Not Found"},
                                         {31, "No application found for this file"},
                                         {6, "Separate data segments are required for each task "},
                                         {0,
                                          "The file could not be run due to insufficient "
                                          "system memory or a corrupt program file"},
                                         {33, ""},
                                         {32, ""}}) {
    ScriptedShell shell;
    shell.result = c.code;
    testing::FakeUserInterface ui;
    LaunchDocument(shell, ui, "", "missing.txt", kShowNormal);
    if (c.text.empty()) {
      EXPECT_TRUE(ui.messages.empty()) << c.code;
      continue;
    }
    ASSERT_EQ(ui.messages.size(), 1u) << c.code;
    EXPECT_EQ(ui.messages[0].text, c.text);
    EXPECT_EQ(ui.messages[0].title, "Shell problem");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
  }
}

}  // namespace
}  // namespace quillet
