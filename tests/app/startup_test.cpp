#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/paths.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"

namespace quillet {
namespace {

using testing::MemorySettingsStore;

class FakeInstanceLock : public InstanceLock {
 public:
  bool other_copy_running = false;
  bool Acquire() override { return !other_copy_running; }
};

class FakeBrowserInfo : public BrowserInfo {
 public:
  std::optional<ClientVersion> version = ClientVersion{1, 2};
  std::string cookies;
  std::optional<ClientVersion> Version() override { return version; }
  std::string Cookies(const std::string&) override { return cookies; }
};

class RecordingToolbarRemover : public ToolbarRemover {
 public:
  std::vector<std::string> removed;
  void RemoveToolbarButton(const std::string& guid) override { removed.push_back(guid); }
};

class StartupTest : public ::testing::Test {
 protected:
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "127.0.0.1:8080\r\n"; }

  StartupResult Run(const std::string& command_line = "") {
    StartupServices services{ui_,          store_,  lock_, browser_, toolbar_, dir_.path().string(),
                             command_line, shared_, user_};
    return RunStartup(services, settings_);
  }

  testing::TempDir dir_;
  testing::FakeUserInterface ui_;
  MemorySettingsStore store_;
  FakeInstanceLock lock_;
  FakeBrowserInfo browser_;
  RecordingToolbarRemover toolbar_;
  AppSettings settings_;
  std::string shared_, user_;
};

TEST_F(StartupTest, firstRun_writesTheTestPageLastAndUsesTheSampleList) {
  Touch("QuilletD.txt");
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  // The test page marks a finished first run: it is written last.
  EXPECT_EQ(store_.save_order,
            (std::vector<std::string>{"ComboFiles", "ComboURLs", "iApplyButton", "ListFile", "ping",
                                      "SearchText", "FindIP", "TestTimeout", "TestURL"}));
  std::string list = dir_ / "QuilletD.txt";
  EXPECT_EQ(store_.values["ListFile"], list);
  EXPECT_EQ(store_.values["ComboFiles"], list + ";");
  EXPECT_EQ(store_.values["SearchText"], "REMOTE_ADDR");  // not the later default
  const std::string& urls = store_.values["ComboURLs"];
  EXPECT_EQ(std::count(urls.begin(), urls.end(), ';'), 8);
  EXPECT_EQ(store_.values["TestURL"] + ";", urls.substr(0, urls.find(';') + 1));
  EXPECT_EQ(settings_.ListFile, list);
  EXPECT_TRUE(ui_.messages.empty());

  store_.save_order.clear();
  store_.values["ping"] = "900";
  browser_.cookies = "id=7; ver=0.09";
  Run();  // a later run keeps the user's values and tells of the offered version
  EXPECT_TRUE(store_.save_order.empty());
  EXPECT_EQ(store_.values["ping"], "900");
  EXPECT_EQ(settings_.UpgradeVersion, "0.09");
}

TEST_F(StartupTest, firstRunAfterInstall_copiesTheSharedSampleOnceAndKeepsTheUsersCopy) {
  shared_ = dir_ / "share";
  user_ = dir_ / "data/quillet";
  std::filesystem::create_directories(shared_);
  std::ofstream(InFolder(shared_, "QuilletD.txt")) << "' sample\r\n";
  Run();
  std::string copy = InFolder(user_, "QuilletD.txt");
  EXPECT_EQ(settings_.ListFile, copy);
  EXPECT_EQ(store_.values["ComboFiles"], copy + ";");
  std::ofstream(copy) << "edited";
  store_.values.clear();
  Run();
  EXPECT_EQ(std::ifstream(copy).rdbuf()->sgetc(), 'e');

  user_ = copy + "/quillet";  // a folder that cannot be made: the shared sample is opened
  store_.values.clear();
  Run();
  EXPECT_EQ(settings_.ListFile, InFolder(shared_, "QuilletD.txt"));
}

TEST_F(StartupTest, secondInstance_isRefusedBeforeAnythingIsWritten) {
  lock_.other_copy_running = true;
  EXPECT_EQ(Run(), StartupResult::Exit);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Quillet is already running");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(store_.save_order.empty());
}

TEST_F(StartupTest, detachIE_removesTheStoredButtonOnlyWithAUsableBrowser) {
  Touch("QuilletD.txt");
  EXPECT_EQ(Run("detachIE"), StartupResult::ShowMainWindow);  // no identifier stored
  store_.values["GUID4ie"] = "{ABC}";
  browser_.version = ClientVersion{1, 1};  // a browser needs a minor version above one
  EXPECT_EQ(Run("detachIE"), StartupResult::ShowMainWindow);
  EXPECT_TRUE(settings_.NoIE);
  browser_.version = std::nullopt;
  Run();
  EXPECT_TRUE(settings_.NoIE);
  EXPECT_TRUE(toolbar_.removed.empty());

  browser_.version = ClientVersion{1, 2};
  EXPECT_EQ(Run("DETACHIE"), StartupResult::Exit);
  EXPECT_FALSE(settings_.NoIE);
  EXPECT_EQ(toolbar_.removed, (std::vector<std::string>{"{ABC}"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartupTest, listFile_bareNamesAreInTheProgramFolderAndAMissingOneIsToldOnce) {
  Touch("mine.txt");
  store_.values = {{"TestURL", "x.y/"}, {"ListFile", "mine.txt"}};
  Run();
  EXPECT_EQ(settings_.ListFile, dir_ / "mine.txt");

  store_.values = {{"TestURL", "x.y/"}, {"ListFile", "/nowhere/gone.txt"}};
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The List File '/nowhere/gone.txt' is missing");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(settings_.ListFile, "");

  std::string folder = dir_.path().string();  // there, but no list (like /dev/zero)
  store_.values = {{"TestURL", "x.y/"}, {"ListFile", folder}};
  Run();
  EXPECT_EQ(ui_.last_message(), "The List File '" + folder + "' is not a plain file");

  store_.values = {{"TestURL", "x.y/"}};  // no setting at all: Quillet.txt
  Run();
  EXPECT_EQ(ui_.last_message(), "The List File '" + (dir_ / "Quillet.txt") + "' is missing");
}

TEST_F(StartupTest, storeProblems_unreadableIsExplainedAndGoesOn_failingEndsAsF1) {
  Touch("QuilletD.txt");
  store_.problem = "The settings file could not be read.";
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages[0].text, "The settings file could not be read.");

  store_.values.clear();  // a first run, whose saves fail
  store_.refuse_writes = true;
  EXPECT_EQ(Run(), StartupResult::Exit);
  EXPECT_EQ(ui_.last_message(), "Function: F1\r\nError: 57\r\nCannot write the settings");
}

TEST(UpgradeNotice, onlyADifferentVersionInItemThreeCounts) {
  const std::pair<std::string, std::string> cases[] = {
      {"id=7; ver=0.02", "0.02"}, {"id=7; VER =0.01", ""},  // the own version
      {"ver=0.02", ""},                                     // no ";" at all
      {"id=7; lang=en", ""},      {std::string("id=7;\0ver=0.03", 14), "0.03"},
  };
  for (const auto& [cookies, offered] : cases) {
    EXPECT_EQ(UpgradeVersionFromCookies(cookies, "0.01.022"), offered) << cookies;
  }
}

TEST(DesktopFamilyOf, FirstSetVariableAndFirstKnownNameDecide) {
  struct Case {
    std::string current, session, desktop_session;
    DesktopFamily family;
    std::string name;
  };
  for (const Case& c :
       std::vector<Case>{{"ubuntu:GNOME", "kde", "", DesktopFamily::Gnome, "ubuntu"},
                         {"", "KDE", "gnome", DesktopFamily::Kde, "KDE"},
                         {"", "", "plasma", DesktopFamily::Kde, "plasma"},
                         {"X-Cinnamon", "", "", DesktopFamily::Gnome, "X-Cinnamon"},
                         {"XFCE", "gnome", "", DesktopFamily::Other, "XFCE"},
                         {"", "", "", DesktopFamily::Other, ""}}) {
    std::string name;
    EXPECT_EQ(DesktopFamilyOf(c.current, c.session, c.desktop_session, name), c.family)
        << c.current;
    EXPECT_EQ(name, c.name);
  }
}

TEST(AppSettings, missingKeysFallBackAndNumbersComeFromTheLeadingNumber) {
  testing::MemorySettingsStore store;
  AppSettings settings;
  LoadNumbersAndTexts(store, settings);
  EXPECT_EQ(settings.TestTimeoutMs, 20000);
  EXPECT_EQ(settings.SearchText, "HTTP_CLIENT_IP");  // not the first-run REMOTE_ADDR
  EXPECT_EQ(TestTimeoutFromText("20"), 20000);
  EXPECT_EQ(TestTimeoutFromText("2.5"), 2500);
  EXPECT_EQ(TestTimeoutFromText("abc"), 0);
  EXPECT_EQ(PingTimeoutFromText("99.6ms"), 100);
  EXPECT_EQ(PingTimeoutFromText("1e20"), 2147483647);  // clamped, never wraps negative
  EXPECT_EQ(ApplyButtonFromText("2"), 2);
  EXPECT_EQ(ApplyButtonFromText("x"), 0);
}

}  // namespace
}  // namespace quillet
