#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/first_run.h"
#include "core/errors.h"
#include "fakes/fake_startup_services.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;
using testing::FakeBrowserInfo;
using testing::FakeInstanceLock;
using testing::FakeUserInterface;
using testing::MemorySettingsStore;
using testing::RecordingToolbarRemover;

class StartupTest : public ::testing::Test {
 protected:
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "127.0.0.1:8080\r\n"; }

  StartupResult Run(const std::string& command_line = "") {
    StartupServices services{ui_, store_, lock_, browser_, toolbar_, dir_.string(), command_line};
    return RunStartup(services, settings_);
  }

  testing::TempDir temp_;
  const fs::path& dir_ = temp_.path();
  FakeUserInterface ui_;
  MemorySettingsStore store_;
  FakeInstanceLock lock_;
  FakeBrowserInfo browser_;
  RecordingToolbarRemover toolbar_;
  AppSettings settings_;
};

TEST_F(StartupTest, firstRun_writesEveryValueInOrderAndUsesTheSampleList) {
  Touch("QuilletD.txt");
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  EXPECT_EQ(store_.save_order,
            (std::vector<std::string>{"ComboFiles", "ComboURLs", "iApplyButton", "ListFile", "ping",
                                      "SearchText", "FindIP", "TestTimeout", "TestURL"}));
  std::string list = (dir_ / "QuilletD.txt").string();
  EXPECT_EQ(store_.values["ListFile"], list);
  EXPECT_EQ(store_.values["ComboFiles"], list + ";");
  EXPECT_EQ(store_.values["ping"], "2500");
  EXPECT_EQ(store_.values["TestTimeout"], "20");
  EXPECT_EQ(store_.values["SearchText"], "REMOTE_ADDR");
  EXPECT_EQ(store_.values["iApplyButton"], "0");
  const std::string& urls = store_.values["ComboURLs"];
  EXPECT_EQ(std::count(urls.begin(), urls.end(), ';'), 8);
  EXPECT_EQ(store_.values["TestURL"] + ";", urls.substr(0, urls.find(';') + 1));
  EXPECT_EQ(settings_.ListFile, list);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartupTest, laterRuns_keepTheUsersValues) {
  store_.values = {{"TestURL", "judge.example/env"}, {"ping", "900"}};
  Run();
  EXPECT_TRUE(store_.save_order.empty());
  EXPECT_EQ(store_.values["ping"], "900");
}

TEST_F(StartupTest, secondInstance_isRefusedBeforeAnythingIsWritten) {
  lock_.other_copy_running = true;
  EXPECT_EQ(Run(), StartupResult::Exit);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Quillet is already running");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(store_.save_order.empty());
}

TEST_F(StartupTest, detachIE_withStoredIdentifier_removesTheButtonAndShowsNoWindow) {
  store_.values = {{"TestURL", "x.y/"}, {"GUID4ie", "{ABC}"}};
  EXPECT_EQ(Run("DETACHIE"), StartupResult::Exit);
  EXPECT_EQ(toolbar_.removed, (std::vector<std::string>{"{ABC}"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartupTest,
       detachIE_withoutIdentifierOrBrowser_startsNormally_andBrowserNeedsMinorAboveOne) {
  Touch("QuilletD.txt");
  EXPECT_EQ(Run("detachIE"), StartupResult::ShowMainWindow);
  EXPECT_TRUE(toolbar_.removed.empty());

  store_.values["GUID4ie"] = "{ABC}";
  browser_.version = ClientVersion{1, 1};
  EXPECT_EQ(Run("detachIE"), StartupResult::ShowMainWindow);
  EXPECT_TRUE(settings_.NoIE);  // a browser needs a minor version above one
  EXPECT_TRUE(toolbar_.removed.empty());
  browser_.version = std::nullopt;
  Run();
  EXPECT_TRUE(settings_.NoIE);
  browser_.version = ClientVersion{1, 2};
  Run();
  EXPECT_FALSE(settings_.NoIE);
}

TEST_F(StartupTest, listFile_bareNamesAreInTheProgramFolderAndAMissingOneIsToldOnce) {
  Touch("mine.txt");
  store_.values = {{"TestURL", "x.y/"}, {"ListFile", "mine.txt"}};
  Run();
  EXPECT_EQ(settings_.ListFile, (dir_ / "mine.txt").string());

  store_.values = {{"TestURL", "x.y/"}, {"ListFile", "/nowhere/gone.txt"}};
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The List File '/nowhere/gone.txt' is missing");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(settings_.ListFile, "");

  store_.values = {{"TestURL", "x.y/"}};  // no setting at all: Quillet.txt
  Run();
  EXPECT_EQ(ui_.last_message(),
            "The List File '" + (dir_ / "Quillet.txt").string() + "' is missing");
}

TEST_F(StartupTest, unreadableSettings_areExplainedAndStartupGoesOn) {
  Touch("QuilletD.txt");
  store_.problem = "The settings file could not be read.";
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages[0].text, "The settings file could not be read.");
}

TEST_F(StartupTest, aFailingStore_isReportedAsF1AndEndsTheProgram) {
  class BrokenStore : public MemorySettingsStore {
    void Save(const std::string&, const std::string&) override {
      throw RunTimeError(57, "disk full");
    }
  } broken;
  StartupServices services{ui_, broken, lock_, browser_, toolbar_, dir_.string(), ""};
  EXPECT_EQ(RunStartup(services, settings_), StartupResult::Exit);
  EXPECT_EQ(ui_.last_message(), "Function: F1\r\nError: 57\r\ndisk full");
}

TEST(UpgradeNotice, onlyADifferentVersionInItemThreeCounts) {
  EXPECT_EQ(UpgradeVersionFromCookies("id=7; ver=0.02", "0.01.022"), "0.02");
  EXPECT_EQ(UpgradeVersionFromCookies("id=7; VER =0.01", "0.01.022"), "");
  EXPECT_EQ(UpgradeVersionFromCookies("ver=0.02", "0.01.022"), "");  // no ";" at all
  EXPECT_EQ(UpgradeVersionFromCookies("id=7; lang=en", "0.01.022"), "");
  EXPECT_EQ(UpgradeVersionFromCookies(std::string("id=7;\0ver=0.03", 14), "0.01.022"), "0.03");
}

}  // namespace
}  // namespace quillet
