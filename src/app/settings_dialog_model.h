#pragma once
// What the settings dialog shows and how its Save validates and writes the settings. The Qt
// dialog only copies these fields to and from its controls.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/settings_store.h"
#include "app/user_interface.h"

namespace quillet {

struct SettingsDialogFields {
  std::string title;
  std::vector<std::string> list_files;  // cboFiles list
  std::string list_file;                // cboFiles text
  std::vector<std::string> test_pages;  // cboURLs list
  std::string test_page;                // cboURLs text
  std::string search_text;              // txtSearchText
  std::string find_ip;                  // txtFindIP
  std::string ping;                     // txtPing
  std::string timeout;                  // txtTimeout (seconds)
  std::string parallel;                 // txtParallel (proxies checked at once)
  std::string threads;                  // txtThreads (engines sharing them; 0: one per core)
  std::string ping_method;              // cboPingMethod: one of kPingMethods
  std::string watch_seconds;            // txtWatch (seconds between checks of the applied proxy)
  std::string country_database;         // txtCountryDb (empty: the usual places are searched)
  std::string country_line;             // lblCountry: the database in use, or where to get one
  int apply_choice = 0;                 // optNone 0, optExit 1, optOpen 2
  bool browser_controls = true;         // bAttachIE and frameApply shown
  std::string toolbar_caption;          // bAttachIE
  bool upgrade_visible = false;         // lblNewVersion
  std::string upgrade_caption;
};

// The caption of the toolbar button's button (bAttachIE), by whether the button exists, and its
// tip. Off Windows the button makes a launcher in the desktop's application menu and says so.
std::string ToolbarCaption(bool attached);
std::string ToolbarTip();

// The caption of optOpen: Apply, then open the browser.
std::string OpenBrowserCaption();

// The Apply button's caption for an apply mode.
std::string ApplyCaption(int apply_button);

// The recently-used list text after choosing `value`, or nothing when `stored` (the text read
// when the dialog opened) already contains it. At most 9 entries: the new one, then the first 8
// entries of the drop-down list.
std::optional<std::string> UpdatedRecentList(const std::string& value, const std::string& stored,
                                             const std::vector<std::string>& items);

class SettingsDialogModel {
 public:
  struct Services {
    SettingsStore& store;
    AppSettings& settings;
    UserInterface& ui;
    std::string program_dir;
    // Splits a test page address into TestHost/TestPath (and explains a bad one).
    std::function<void(std::string&)> set_test_page;
    // Why a test page address cannot be used (empty when it can); such a page is refused.
    std::function<std::string(const std::string&)> test_page_problem = nullptr;
    // Takes the country database a new setting names into the settings; gives the problem of
    // a named file that cannot be used (the settings then stay as they were).
    std::function<std::string(const std::string&)> change_country_database = nullptr;
  };

  explicit SettingsDialogModel(Services services) : services_(std::move(services)) {}

  SettingsDialogFields Load();

  // Runs the nine steps of Save on what the user entered (the trimmed texts are written back
  // into `fields`) and writes the accepted keys to the store in one go. Returns the new Apply
  // caption when the dialog may close, nothing when it must stay open. Throws RunTimeError when
  // the store cannot write; the stored settings then stay as they were.
  std::optional<std::string> Save(SettingsDialogFields& fields);

  UserInterface& ui() const { return services_.ui; }
  bool toolbar_attached() const { return toolbar_attached_; }
  const std::string& toolbar_guid() const { return toolbar_guid_; }
  void set_toolbar_state(bool attached, const std::string& guid) {
    toolbar_attached_ = attached;
    toolbar_guid_ = guid;
  }

 private:
  void SaveTimeouts(const SettingsDialogFields& fields);
  bool SaveSearch(SettingsDialogFields& fields);
  void SaveListFile(const SettingsDialogFields& fields);
  bool SaveTestPage(const SettingsDialogFields& fields);
  bool SaveCountryDatabase(SettingsDialogFields& fields);
  int SaveApplyChoice(const SettingsDialogFields& fields);
  void Write(const char* key, const std::string& value);
  void WritePending();

  Services services_;
  std::vector<std::pair<std::string, std::string>> pending_;  // keys of the Save under way
  std::string stored_files_;
  std::string stored_urls_;
  std::vector<std::string> loaded_files_;
  std::vector<std::string> loaded_urls_;
  bool toolbar_attached_ = false;
  std::string toolbar_guid_;
};

}  // namespace quillet
