// Start-up and the settings dialog's model, over a scripted store, user and system.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/desktop_kind.h"
#include "app/settings_dialog_model.h"
#include "app/startup.h"
#include "core/errors.h"
#include "core/paths.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"
#include "fakes/temp_dir.h"
#include "verify/http_probe.h"

namespace quillet {
namespace {

using namespace quillet::testing;

namespace fs = std::filesystem;

// The instance lock, the browser and the toolbar, scripted.
struct FakeSystem : InstanceLock, BrowserInfo, ToolbarRemover {
  bool other_copy_running = false;
  std::optional<ClientVersion> version = ClientVersion{1, 2};
  std::string cookies;
  std::vector<std::string> removed;
  bool Acquire() override { return !other_copy_running; }
  std::optional<ClientVersion> Version() override { return version; }
  std::string Cookies(const std::string&) override { return cookies; }
  void RemoveToolbarButton(const std::string& guid) override { removed.push_back(guid); }
};

class StartupTest : public ::testing::Test {
 protected:
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "127.0.0.1:8080\r\n"; }

  StartupResult Run(const std::string& command_line = "") {
    StartupServices services{ui_,          store_,  system_, system_, system_, dir_.path().string(),
                             command_line, shared_, user_};
    return RunStartup(services, settings_);
  }

  TempDir dir_;
  FakeUserInterface ui_;
  MemorySettingsStore store_;
  FakeSystem system_;
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
  EXPECT_EQ(
      store_.values["ListFile"] + "|" + store_.values["ComboFiles"] + "|" + settings_.ListFile,
      list + "|" + list + ";|" + list);
  EXPECT_EQ(store_.values["SearchText"], "REMOTE_ADDR");  // not the later default
  const std::string& urls = store_.values["ComboURLs"];
  EXPECT_EQ(std::count(urls.begin(), urls.end(), ';'), 8);
  EXPECT_EQ(store_.values["TestURL"] + ";", urls.substr(0, urls.find(';') + 1));
  EXPECT_TRUE(ui_.messages.empty() && settings_.FirstRun);

  store_.save_order.clear();
  store_.values["ping"] = "900";
  system_.cookies = "id=7; ver=0.09";
  Run();  // a later run keeps the user's values and tells of the offered version
  EXPECT_TRUE(store_.save_order.empty() && !settings_.FirstRun);
  EXPECT_EQ(store_.values["ping"] + " " + settings_.UpgradeVersion, "900 0.09");
}

TEST_F(StartupTest, firstRunAfterInstall_copiesTheSharedSampleOnceAndKeepsTheUsersCopy) {
  shared_ = dir_ / "share";
  user_ = dir_ / "data/quillet";
  std::filesystem::create_directories(shared_);
  std::ofstream(InFolder(shared_, "QuilletD.txt")) << "' sample\r\n";
  Run();
  std::string copy = InFolder(user_, "QuilletD.txt");
  EXPECT_EQ(settings_.ListFile + "|" + store_.values["ComboFiles"], copy + "|" + copy + ";");
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
  system_.other_copy_running = true;
  EXPECT_EQ(Run(), StartupResult::Exit);
  EXPECT_EQ(ui_.messages.size() == 1 ? ui_.messages[0].text : "", "Quillet is already running");
  EXPECT_TRUE(ui_.messages[0].icon == MessageIcon::Information && store_.save_order.empty());
}

TEST_F(StartupTest, detachIE_removesTheStoredButtonOnlyWithAUsableBrowser) {
  Touch("QuilletD.txt");
  EXPECT_EQ(Run("detachIE"), StartupResult::ShowMainWindow);  // no identifier stored
  store_.values["GUID4ie"] = "{ABC}";
  system_.version = ClientVersion{1, 1};  // a browser needs a minor version above one
  EXPECT_TRUE(Run("detachIE") == StartupResult::ShowMainWindow && settings_.NoIE);
  system_.version = std::nullopt;
  Run();
  EXPECT_TRUE(settings_.NoIE && system_.removed.empty());

  system_.version = ClientVersion{1, 2};
  EXPECT_EQ(Run("DETACHIE"), StartupResult::Exit);
  EXPECT_EQ(system_.removed, (std::vector<std::string>{"{ABC}"}));
  EXPECT_TRUE(!settings_.NoIE && ui_.messages.empty());
}

TEST_F(StartupTest, listFile_bareNamesAreInTheProgramFolderAndAMissingOneIsToldOnce) {
  auto run_with = [this](const std::string& list) {
    store_.values = {{"TestURL", "x.y/"}, {"ListFile", list}};
    if (list.empty()) store_.values.erase("ListFile");  // no setting at all: Quillet.txt
    return Run();
  };
  Touch("mine.txt");
  run_with("mine.txt");
  EXPECT_EQ(settings_.ListFile, dir_ / "mine.txt");
  EXPECT_EQ(run_with("/nowhere/gone.txt"), StartupResult::ShowMainWindow);
  ASSERT_EQ(ui_.messages.size(), 1u) << ui_.last_message();
  EXPECT_EQ(ui_.messages[0].text, "The List File '/nowhere/gone.txt' is missing");
  EXPECT_TRUE(ui_.messages[0].icon == MessageIcon::Information && settings_.ListFile.empty());
  run_with(dir_.path().string());  // there, but no list (like /dev/zero)
  EXPECT_EQ(ui_.last_message(), "The List File '" + dir_.path().string() + "' is not a plain file");
  run_with("");
  EXPECT_EQ(ui_.last_message(), "The List File '" + (dir_ / "Quillet.txt") + "' is missing");
  run_with("https://lists.example/a.txt");  // fetched by the window's load, not looked for here
  EXPECT_TRUE(settings_.ListFile == "https://lists.example/a.txt" && ui_.messages.size() == 3);
}

TEST_F(StartupTest, storeProblems_unreadableIsExplainedAndGoesOn_failingEndsAsF1) {
  Touch("QuilletD.txt");
  store_.problem = "The settings file could not be read.";
  EXPECT_EQ(Run(), StartupResult::ShowMainWindow);
  EXPECT_EQ(ui_.messages.empty() ? "" : ui_.messages[0].text,
            "The settings file could not be read.");

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
  for (const auto& [cookies, offered] : cases)
    EXPECT_EQ(UpgradeVersionFromCookies(cookies, "0.01.022"), offered) << cookies;
}

TEST(DesktopFamilyOf, FirstSetVariableAndFirstKnownNameDecide) {
  using Case = std::tuple<const char*, const char*, const char*, DesktopFamily, std::string>;
  for (auto [current, session, desktop_session, family, name] :
       std::vector<Case>{{"ubuntu:GNOME", "kde", "", DesktopFamily::Gnome, "ubuntu"},
                         {"", "KDE", "gnome", DesktopFamily::Kde, "KDE"},
                         {"", "", "plasma", DesktopFamily::Kde, "plasma"},
                         {"X-Cinnamon", "", "", DesktopFamily::Gnome, "X-Cinnamon"},
                         {"XFCE", "gnome", "", DesktopFamily::Other, "XFCE"},
                         {"", "", "", DesktopFamily::Other, ""}}) {
    std::string found;
    EXPECT_TRUE(DesktopFamilyOf(current, session, desktop_session, found) == family &&
                found == name)
        << current;
  }
}

TEST(AppSettings, missingOrBadKeysFallBackAndNumbersComeFromTheLeadingNumber) {
  MemorySettingsStore store;
  store.values = {{"parallel", "many"}, {"threads", "all"}};
  AppSettings settings;
  settings.Threads = 5;
  LoadNumbersAndTexts(store, settings);
  EXPECT_EQ(settings.Parallel + settings.Threads, 1);  // not numbers: the defaults, 1 and 0
  EXPECT_EQ(settings.TestTimeoutMs, 20000);
  EXPECT_EQ(settings.SearchText, "HTTP_CLIENT_IP");  // not the first-run REMOTE_ADDR
  // A ping time-out of 1e20 is clamped, never wraps negative.
  EXPECT_EQ((std::vector<int>{TestTimeoutFromText("20"), TestTimeoutFromText("2.5"),
                              TestTimeoutFromText("abc"), PingTimeoutFromText("99.6ms"),
                              PingTimeoutFromText("1e20"), ApplyButtonFromText("2"),
                              ApplyButtonFromText("x")}),
            (std::vector<int>{20000, 2500, 0, 100, 2147483647, 2, 0}));
}

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

  TempDir temp_;
  const fs::path& dir_ = temp_.path();
  MemorySettingsStore store_;
  FakeUserInterface ui_;
  AppSettings settings_;
  SettingsDialogModel model_{{store_, settings_, ui_, dir_.string(),
                              [this](std::string& url) { SetTestPage(ui_, settings_, url); },
                              TestPageProblem}};
};

TEST_F(SettingsDialogTest, load_fillsTitleNumbersAndRecentLists_saveKeepsCountsOnlyInRange) {
  store_.values["ComboFiles"] = "/lists/x.txt;bare.txt;last-without-separator";
  store_.values["ComboURLs"] = " judge.example/env;other.example/; ";
  store_.values["GUID4ie"] = "{G}";
  settings_.Parallel = 64;
  settings_.Threads = 3;
  SettingsDialogFields fields = model_.Load();
  // 2500 ms shows as whole seconds.
  EXPECT_EQ(fields.title + "|" + fields.timeout + "|" + fields.threads,
            "Quillet Settings      your IP: 10.1.2.3|2|3");
  EXPECT_EQ(fields.list_files,
            (std::vector<std::string>{"/lists/x.txt", (dir_ / "bare.txt").string()}));
  EXPECT_EQ(fields.test_pages, (std::vector<std::string>{"judge.example/env", "other.example/"}));
  EXPECT_EQ(fields.toolbar_caption,
            kBrowserDesktop ? "Detach from &IE toolbar" : "Remove desktop &launcher");
  // Parallel and thread counts are kept only as whole numbers in their ranges.
  for (std::string bad : {"0", "2.5", "abc", "10000", "99999999999"}) {
    fields.parallel = bad;
    fields.threads = bad == "0" ? "65" : bad;
    model_.Save(fields);
  }
  EXPECT_TRUE(settings_.Parallel == 64 && settings_.Threads == 3 &&
              !store_.values.count("parallel") && !store_.values.count("threads"));
  fields.threads = "0";  // one per core
  model_.Save(fields);
  EXPECT_TRUE(settings_.Threads == 0 && store_.values["threads"] == "0");
}

TEST_F(SettingsDialogTest, save_writesAcceptedValuesInOrderAndSkipsBadNumbersSilently) {
  std::ofstream(dir_ / "mine.txt") << "x";
  SettingsDialogFields fields = model_.Load();
  fields.ping = "0";
  fields.timeout = "2.5";
  fields.search_text = "  HTTP_X  ";
  fields.find_ip = " 127.0.0.1 ";
  fs::path previous = fs::current_path();
  fs::current_path(dir_);  // a name without a folder is looked up in the current folder
  fields.list_file = "mine.txt";
  fields.test_page = "http://new.example/judge";
  fields.apply_choice = 2;
  EXPECT_EQ(model_.Save(fields),
            std::optional<std::string>(kBrowserDesktop ? "&Apply/openIE" : "&Apply/open browser"));
  fs::current_path(previous);
  EXPECT_EQ(store_.save_order,
            (std::vector<std::string>{"ping", "TestTimeout", "parallel", "threads", "PingMethod",
                                      "WatchSeconds", "SearchText", "FindIP", "ListFile",
                                      "ComboFiles", "TestURL", "ComboURLs", "iApplyButton"}));
  // The time-out is kept as typed and used in milliseconds; the recent pages keep it as typed.
  EXPECT_EQ(store_.values["TestTimeout"] + " " + std::to_string(settings_.TestTimeoutMs) + " " +
                store_.values["TestURL"] + " " + settings_.TestHost + settings_.TestPath + " " +
                store_.values["ComboURLs"],
            "2.5 2500 new.example/judge new.example/judge http://new.example/judge;");
  EXPECT_TRUE(store_.values["ListFile"] == dir_ / "mine.txt" && ui_.messages.empty());
}

TEST_F(SettingsDialogTest, save_writesEveryKeyInOneGoOrNoneWhenTheStoreFails) {
  SettingsDialogFields fields = model_.Load();
  fields.ping = "700";
  store_.refuse_writes = true;
  EXPECT_THROW(model_.Save(fields), RunTimeError);
  EXPECT_TRUE(store_.values.empty());
  store_.refuse_writes = false;
  EXPECT_TRUE(model_.Save(fields).has_value() && store_.batches == 1);
  // The list file named in the dialog is gone: said so, and its settings stay as they were.
  EXPECT_EQ(ui_.last_message(), "The List File '" + (dir_ / "a.txt").string() + "' is missing");
  EXPECT_EQ(store_.values.count("ListFile"), 0u);
  EXPECT_EQ(store_.values["ComboURLs"], "judge.example/env;") << "the failed save left no trace";
}

TEST_F(SettingsDialogTest, save_badSearchIpOrTestPageKeepsTheDialogOpenAfterTheFirstSteps) {
  SettingsDialogFields fields = model_.Load();
  fields.ping = "700";
  fields.timeout = "-1";
  fields.search_text = "   ";
  fields.find_ip = "1.2.x.4";
  EXPECT_EQ(model_.Save(fields), std::nullopt);
  EXPECT_EQ(ui_.last_message(), "Search IP is invalid");
  EXPECT_EQ(store_.values["ping"], "700");
  // A negative time-out is ignored, an empty search text keeps the old one.
  EXPECT_TRUE(!store_.values.count("TestTimeout") && !store_.values.count("TestURL"));
  EXPECT_EQ(settings_.SearchText, "REMOTE_ADDR");
  fields.find_ip = "";
  fields.test_page = "https://judge.example:65536/env";
  EXPECT_EQ(model_.Save(fields), std::nullopt);
  EXPECT_EQ(ui_.last_message(),
            "The test page 'https://judge.example:65536/env' cannot be used: "
            "the port must be a number from 1 to 65535.");
  EXPECT_EQ(store_.values.count("TestURL"), 0u);
  fields.test_page = "https://localhost:65535/env";
  EXPECT_TRUE(model_.Save(fields).has_value());
  EXPECT_EQ(store_.values["FindIP"] + store_.values["TestURL"], "https://localhost:65535/env");
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
