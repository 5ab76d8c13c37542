#include "app/settings_dialog_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/desktop_kind.h"
#include "core/errors.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"
#include "verify/http_probe.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.MyIP = "10.1.2.3";
    settings_.TestTimeoutMs = 2500;
    settings_.SearchText = "REMOTE_ADDR";
    settings_.ListFile = (dir_ / "a.txt").string();
    settings_.TestHost = "judge.example";
    settings_.TestPath = "/env";
  }
  SettingsDialogModel Model() {
    return SettingsDialogModel({store_, settings_, ui_, dir_.string(),
                                [this](std::string& url) { SetTestPage(ui_, settings_, url); },
                                TestPageProblem});
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
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  EXPECT_EQ(fields.title, "Quillet Settings      your IP: 10.1.2.3");
  EXPECT_EQ(fields.timeout, "2");  // 2500 ms shows as whole seconds
  EXPECT_EQ(fields.list_files,
            (std::vector<std::string>{"/lists/x.txt", (dir_ / "bare.txt").string()}));
  EXPECT_EQ(fields.test_pages, (std::vector<std::string>{"judge.example/env", "other.example/"}));
  EXPECT_EQ(fields.toolbar_caption,
            kBrowserDesktop ? "Detach from &IE toolbar" : "Remove desktop &launcher");
}

TEST_F(SettingsDialogTest, save_writesAcceptedValuesInOrderAndSkipsBadNumbersSilently) {
  std::ofstream(dir_ / "mine.txt") << "x";
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.ping = "0";
  fields.timeout = "2.5";
  fields.search_text = "  HTTP_X  ";
  fields.find_ip = " 127.0.0.1 ";
  fs::path previous = fs::current_path();
  fs::current_path(dir_);  // a name without a folder is looked up in the current folder
  fields.list_file = "mine.txt";
  fields.test_page = "http://new.example/judge";
  fields.apply_choice = 2;
  EXPECT_EQ(model.Save(fields),
            std::optional<std::string>(kBrowserDesktop ? "&Apply/openIE" : "&Apply/open browser"));
  fs::current_path(previous);
  EXPECT_EQ(store_.save_order,
            (std::vector<std::string>{"ping", "TestTimeout", "parallel", "PingMethod", "WatchSeconds", "SearchText",
                                      "FindIP", "ListFile", "ComboFiles", "TestURL", "ComboURLs",
                                      "iApplyButton"}));
  EXPECT_EQ(store_.values["TestTimeout"], "2.5");  // kept as typed, used in milliseconds
  EXPECT_EQ(settings_.TestTimeoutMs, 2500);
  EXPECT_EQ(store_.values["ListFile"], (dir_ / "mine.txt").string());
  EXPECT_EQ(store_.values["TestURL"], "new.example/judge");
  EXPECT_EQ(settings_.TestHost + "|" + settings_.TestPath, "new.example|/judge");
  EXPECT_EQ(store_.values["ComboURLs"], "http://new.example/judge;");  // as typed
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SettingsDialogTest, parallel_wholeNumbersFromOneToTheMostAreKeptOthersIgnored) {
  settings_.Parallel = 64;
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  for (std::string bad : {"0", "2.5", "abc", "1001", "99999999999"}) {
    fields.parallel = bad;
    model.Save(fields);
  }
  EXPECT_EQ(settings_.Parallel, 64);
  EXPECT_EQ(store_.values.count("parallel"), 0u);
  store_.values["parallel"] = "many";
  LoadNumbersAndTexts(store_, settings_);
  EXPECT_EQ(settings_.Parallel, 1);  // a stored value that is not a number counts as the default
}

TEST_F(SettingsDialogTest, save_writesEveryKeyInOneGoOrNoneWhenTheStoreFails) {
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.ping = "700";
  store_.refuse_writes = true;
  EXPECT_THROW(model.Save(fields), RunTimeError);
  EXPECT_TRUE(store_.values.empty());
  store_.refuse_writes = false;
  EXPECT_TRUE(model.Save(fields).has_value());
  EXPECT_EQ(store_.batches, 1);
  // The list file named in the dialog is gone: said so, and its settings stay as they were.
  EXPECT_EQ(ui_.last_message(), "The List File '" + (dir_ / "a.txt").string() + "' is missing");
  EXPECT_EQ(store_.values.count("ListFile"), 0u);
  EXPECT_EQ(store_.values["ComboURLs"], "judge.example/env;") << "the failed save left no trace";
}

TEST_F(SettingsDialogTest, save_badSearchIpOrTestPageKeepsTheDialogOpenAfterTheFirstSteps) {
  auto model = Model();
  SettingsDialogFields fields = model.Load();
  fields.ping = "700";
  fields.timeout = "-1";
  fields.search_text = "   ";
  fields.find_ip = "1.2.x.4";
  EXPECT_EQ(model.Save(fields), std::nullopt);
  EXPECT_EQ(ui_.last_message(), "Search IP is invalid");
  EXPECT_EQ(store_.values["ping"], "700");
  EXPECT_EQ(store_.values.count("TestTimeout"), 0u) << "a negative time-out is ignored";
  EXPECT_EQ(settings_.SearchText, "REMOTE_ADDR");  // empty search text keeps the old one
  EXPECT_EQ(store_.values.count("TestURL"), 0u);
  fields.find_ip = "";
  fields.test_page = "https://judge.example:65536/env";
  EXPECT_EQ(model.Save(fields), std::nullopt);
  EXPECT_EQ(ui_.last_message(),
            "The test page 'https://judge.example:65536/env' cannot be used: "
            "the port must be a number from 1 to 65535.");
  EXPECT_EQ(store_.values.count("TestURL"), 0u);
  fields.test_page = "https://localhost:65535/env";
  EXPECT_TRUE(model.Save(fields).has_value());
  EXPECT_EQ(store_.values["FindIP"], "");
  EXPECT_EQ(store_.values["TestURL"], "https://localhost:65535/env");
}

TEST(RecentList, newValueFirstThenAtMostEightOlderEntries) {
  std::vector<std::string> twelve;
  std::string stored;
  for (int i = 1; i <= 12; ++i) {
    twelve.push_back(" /l/" + std::to_string(i) + ".txt ");
    stored += "/l/" + std::to_string(i) + ".txt;";
  }
  EXPECT_EQ(UpdatedRecentList("/l/new.txt", stored, twelve).value_or(""),
            "/l/new.txt;/l/1.txt;/l/2.txt;/l/3.txt;/l/4.txt;/l/5.txt;/l/6.txt;/l/7.txt;/l/8.txt;");
  EXPECT_EQ(UpdatedRecentList("/l/1", stored, twelve), std::nullopt);  // substring of an entry
  EXPECT_EQ(UpdatedRecentList("A", "a;", {"", " b "}), std::optional<std::string>("A;b;"));
}

}  // namespace
}  // namespace quillet
