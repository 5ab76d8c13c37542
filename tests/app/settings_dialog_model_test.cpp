#include "app/settings_dialog_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/text.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.MyIP = "10.1.2.3";
    settings_.PingTimeoutMs = 2500;
    settings_.TestTimeoutMs = 2500;
    settings_.SearchText = "REMOTE_ADDR";
    settings_.ListFile = (dir_ / "a.txt").string();
    settings_.TestHost = "judge.example";
    settings_.TestPath = "/env";
  }
  SettingsDialogModel Model() {
    return SettingsDialogModel({store_, settings_, ui_, dir_.string(), [this](std::string& url) {
                                  url = ReplaceAllNoCase(url, "http://", "");
                                  settings_.TestHost.clear();
                                  settings_.TestPath.clear();
                                  if (url.find('.') == std::string::npos) return;
                                  settings_.TestHost = Before(url, "/");
                                  settings_.TestPath = url.find('/') == std::string::npos
                                                           ? "/"
                                                           : "/" + After(url, "/");
                                }});
  }

  testing::TempDir temp_;
  const fs::path& dir_ = temp_.path();
  testing::MemorySettingsStore store_;
  testing::FakeUserInterface ui_;
  AppSettings settings_;
};

TEST_F(SettingsDialogTest, load_fillsTitleNumbersAndRecentLists) {
  store_.values["ComboFiles"] = "/lists/x.txt;bare.txt;last-without-separator";
  store_.values["ComboURLs"] = " judge.example/env;other.example/; ";
  store_.values["GUID4ie"] = "{G}";
  settings_.UpgradeVersion = "0.02";
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  EXPECT_EQ(fields.title, "Quillet Settings      your IP: 10.1.2.3");
  EXPECT_EQ(fields.ping, "2500");
  EXPECT_EQ(fields.timeout, "2");  // 2500 ms shows as whole seconds
  EXPECT_EQ(fields.list_files,
            (std::vector<std::string>{"/lists/x.txt", (dir_ / "bare.txt").string()}));
  EXPECT_EQ(fields.test_pages, (std::vector<std::string>{"judge.example/env", "other.example/"}));
  EXPECT_EQ(fields.test_page, "judge.example/env");
  EXPECT_EQ(fields.toolbar_caption, "Detach from &IE toolbar");
  EXPECT_TRUE(model.toolbar_attached());
  EXPECT_EQ(fields.upgrade_caption, "Upgrade available (v.0.02)");
}

TEST_F(SettingsDialogTest, save_writesAcceptedValuesInOrderAndSkipsBadNumbersSilently) {
  std::ofstream(dir_ / "mine.txt") << "x";
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.ping = "0";
  fields.timeout = "-1";
  fields.search_text = "  HTTP_X  ";
  fields.find_ip = " 127.0.0.1 ";
  fs::path previous = fs::current_path();
  fs::current_path(dir_);  // a name without a folder is looked up in the current folder
  fields.list_file = "mine.txt";
  fields.test_page = "http://new.example/judge";
  fields.apply_choice = 2;
  EXPECT_EQ(model.Save(fields), std::optional<std::string>("&Apply/openIE"));
  fs::current_path(previous);
  EXPECT_EQ(store_.save_order,
            (std::vector<std::string>{"ping", "parallel", "SearchText", "FindIP", "ListFile",
                                      "ComboFiles", "TestURL", "ComboURLs", "iApplyButton"}));
  EXPECT_EQ(settings_.PingTimeoutMs, 0);
  EXPECT_EQ(settings_.TestTimeoutMs, 2500);  // negative time-out ignored
  EXPECT_EQ(fields.search_text, "HTTP_X");
  EXPECT_EQ(store_.values["FindIP"], "127.0.0.1");
  EXPECT_EQ(store_.values["ListFile"], (dir_ / "mine.txt").string());
  EXPECT_EQ(store_.values["TestURL"], "new.example/judge");
  EXPECT_EQ(store_.values["ComboURLs"], "http://new.example/judge;");  // as typed
  EXPECT_EQ(settings_.ApplyButton, 2);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SettingsDialogTest, save_fractionalTimeoutIsKeptAsTypedAndUsedInMilliseconds) {
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.timeout = "2.5";
  fields.ping = "abc";
  model.Save(fields);
  EXPECT_EQ(store_.values["TestTimeout"], "2.5");
  EXPECT_EQ(settings_.TestTimeoutMs, 2500);
  EXPECT_EQ(store_.values.count("ping"), 0u);
}

TEST_F(SettingsDialogTest, parallel_wholeNumbersFromOneToTheMostAreKeptOthersIgnored) {
  store_.values["parallel"] = "64";
  LoadNumbersAndTexts(store_, settings_);
  EXPECT_EQ(Model().Load().parallel, "64");
  for (std::string bad : {"0", "2.5", "abc", "1001", "99999999999"}) {
    auto model = Model();
    SettingsDialogFields fields = model.Load();
    fields.parallel = bad;
    model.Save(fields);
    EXPECT_EQ(settings_.Parallel, 64) << bad;
    EXPECT_EQ(store_.values["parallel"], "64") << bad;
  }
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.parallel = " 1000 ";
  model.Save(fields);
  EXPECT_EQ(settings_.Parallel, 1000);
  EXPECT_EQ(store_.values["parallel"], "1000");
  store_.values["parallel"] = "many";
  LoadNumbersAndTexts(store_, settings_);
  EXPECT_EQ(settings_.Parallel, 1);  // a stored value that is not a number counts as the default
}

TEST_F(SettingsDialogTest, save_badSearchIpKeepsTheDialogOpenAfterTheFirstSteps) {
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.ping = "700";
  fields.search_text = "   ";
  fields.find_ip = "1.2.x.4";
  EXPECT_EQ(model.Save(fields), std::nullopt);
  EXPECT_EQ(ui_.last_message(), "Search IP is invalid");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::Error);
  EXPECT_EQ(store_.values["ping"], "700");
  EXPECT_EQ(settings_.SearchText, "REMOTE_ADDR");  // empty search text keeps the old one
  EXPECT_EQ(store_.values.count("TestURL"), 0u);
  fields.find_ip = "";
  EXPECT_TRUE(model.Save(fields).has_value());
  EXPECT_EQ(store_.values["FindIP"], "");
}

TEST_F(SettingsDialogTest, save_missingListFileIsExplainedAndLeavesTheListSettingsAlone) {
  store_.values["ListFile"] = "old";
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.list_file = (dir_ / "gone.txt").string();
  EXPECT_TRUE(model.Save(fields).has_value());
  EXPECT_EQ(ui_.messages.at(0).text,
            "The List File '" + (dir_ / "gone.txt").string() + "' is missing");
  EXPECT_EQ(ui_.messages.at(0).icon, MessageIcon::Information);
  EXPECT_EQ(store_.values["ListFile"], "old");
}

TEST_F(SettingsDialogTest, save_browserMissingStoresApplyModeZero) {
  settings_.NoIE = true;
  settings_.ApplyButton = 1;
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  EXPECT_FALSE(fields.browser_controls);
  fields.apply_choice = 1;
  EXPECT_EQ(model.Save(fields), std::optional<std::string>("&Apply"));
  EXPECT_EQ(store_.values["iApplyButton"], "0");
}

TEST(RecentList, newValueFirstThenAtMostEightOlderEntries) {
  std::vector<std::string> twelve;
  std::string stored;
  for (int i = 1; i <= 12; ++i) {
    twelve.push_back(" /l/" + std::to_string(i) + ".txt ");
    stored += "/l/" + std::to_string(i) + ".txt;";
  }
  auto list = UpdatedRecentList("/l/new.txt", stored, twelve);
  ASSERT_TRUE(list);
  EXPECT_EQ(*list,
            "/l/new.txt;/l/1.txt;/l/2.txt;/l/3.txt;/l/4.txt;/l/5.txt;/l/6.txt;/l/7.txt;/l/8.txt;");
  EXPECT_EQ(UpdatedRecentList("/l/1", stored, twelve), std::nullopt);  // substring of an entry
  EXPECT_EQ(UpdatedRecentList("a", "", {"", " b "}), std::optional<std::string>("a;b;"));
  EXPECT_EQ(UpdatedRecentList("A.txt", "a.txt;", {}), std::optional<std::string>("A.txt;"));
}

}  // namespace
}  // namespace quillet
