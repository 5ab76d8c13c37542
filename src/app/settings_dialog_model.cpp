#include "app/settings_dialog_model.h"

#include "app/desktop_kind.h"
#include "core/paths.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr size_t kOlderEntriesKept = 8;

// The entries of a stored list text ("a;b;c;"): every piece but the last.
std::vector<std::string> StoredEntries(const std::string& stored) {
  std::vector<std::string> pieces = Split(Trim(stored), ";");
  pieces.pop_back();
  return pieces;
}

bool IsNonNegativeNumber(const std::string& text) {
  return IsNumeric(text) && LeadingNumber(text) >= 0;
}

}  // namespace

std::string ToolbarCaption(bool attached) {
  if (!kBrowserDesktop) return attached ? "Remove desktop &launcher" : "Create desktop &launcher";
  return attached ? "Detach from &IE toolbar" : "Create &IE toolbar button";
}

std::string ToolbarTip() {
  if (!kBrowserDesktop) return "Create/delete a 'Set Proxy' launcher in the desktop's menu";
  return "Create/delete toolbar button in IE";
}

std::string OpenBrowserCaption() {
  return kBrowserDesktop ? "+ &open IE" : "+ &open browser";
}

std::string ApplyCaption(int apply_button) {
  if (apply_button == 1) return "&Apply + Exit";
  if (apply_button == 2) return kBrowserDesktop ? "&Apply/openIE" : "&Apply/open browser";
  return "&Apply";
}

std::optional<std::string> UpdatedRecentList(const std::string& value, const std::string& stored,
                                             const std::vector<std::string>& items) {
  if (stored.find(value) != std::string::npos) return std::nullopt;
  std::string text = value + ";";
  for (size_t i = 0; i < items.size() && i < kOlderEntriesKept; ++i) {
    std::string entry = Trim(items[i]);
    if (!entry.empty()) text += entry + ";";
  }
  return text;
}

SettingsDialogFields SettingsDialogModel::Load() {
  const AppSettings& settings = services_.settings;
  SettingsDialogFields fields;
  fields.title = std::string(kAppTitle) + " Settings      your IP: " + ShownOwnAddress(settings);
  fields.ping = std::to_string(settings.PingTimeoutMs);
  fields.timeout = std::to_string(settings.TestTimeoutMs / 1000);
  fields.parallel = std::to_string(settings.Parallel);
  fields.threads = std::to_string(settings.Threads);
  fields.ping_method = settings.PingMethod;
  fields.watch_seconds = std::to_string(settings.WatchSeconds);
  fields.search_text = settings.SearchText;
  fields.find_ip = settings.FindIP;
  fields.country_database = settings.CountryDatabase;
  fields.country_line = settings.CountryLine;
  if (!settings.UpgradeVersion.empty()) {
    fields.upgrade_visible = true;
    fields.upgrade_caption = "Upgrade available (v." + settings.UpgradeVersion + ")";
  }

  stored_files_ = services_.store.Read(keys::kComboFiles, "");
  for (const std::string& entry : StoredEntries(stored_files_)) {
    fields.list_files.push_back(WithDefaultFolder(services_.program_dir, entry));
  }
  fields.list_file = settings.ListFile;
  loaded_files_ = fields.list_files;

  stored_urls_ = services_.store.Read(keys::kComboUrls, "");
  fields.test_pages = StoredEntries(stored_urls_);
  fields.test_page = settings.TestHost + settings.TestPath;
  loaded_urls_ = fields.test_pages;

  fields.browser_controls = !settings.NoIE;
  if (fields.browser_controls) {
    toolbar_guid_ = services_.store.Read(keys::kToolbarGuid, "");
    toolbar_attached_ = !toolbar_guid_.empty();
    fields.toolbar_caption = ToolbarCaption(toolbar_attached_);
    fields.apply_choice = settings.ApplyButton;
  }
  return fields;
}

// The steps collect their keys and the store writes them at the end in one go, so a store that
// cannot write leaves the file as it was instead of a part of the dialog's values.
std::optional<std::string> SettingsDialogModel::Save(SettingsDialogFields& fields) {
  const std::string files_before = stored_files_, urls_before = stored_urls_;
  pending_.clear();
  try {
    SaveTimeouts(fields);
    bool complete = SaveSearch(fields);
    if (complete) {
      SaveListFile(fields);
      complete = SaveTestPage(fields) && SaveCountryDatabase(fields);
    }
    if (complete) SaveApplyChoice(fields);
    WritePending();
    if (!complete) return std::nullopt;
    return ApplyCaption(services_.settings.ApplyButton);
  } catch (...) {
    stored_files_ = files_before;
    stored_urls_ = urls_before;
    throw;
  }
}

void SettingsDialogModel::Write(const char* key, const std::string& value) {
  pending_.emplace_back(key, value);
}

void SettingsDialogModel::WritePending() {
  std::vector<std::pair<std::string, std::string>> values;
  values.swap(pending_);
  services_.store.SaveAll(values);
}

void SettingsDialogModel::SaveTimeouts(const SettingsDialogFields& fields) {
  if (IsNonNegativeNumber(fields.ping)) {
    Write(keys::kPing, fields.ping);
    services_.settings.PingTimeoutMs = PingTimeoutFromText(fields.ping);
  }
  if (IsNonNegativeNumber(fields.timeout)) {
    Write(keys::kTestTimeout, fields.timeout);
    services_.settings.TestTimeoutMs = TestTimeoutFromText(fields.timeout);
  }
  if (ParallelFromText(fields.parallel, services_.settings.Parallel)) {
    Write(keys::kParallel, std::to_string(services_.settings.Parallel));
  }
  if (ThreadsFromText(fields.threads, services_.settings.Threads)) {
    Write(keys::kThreads, std::to_string(services_.settings.Threads));
  }
  if (std::string method = PingMethodFromText(fields.ping_method); !method.empty()) {
    Write(keys::kPingMethod, method);
    services_.settings.PingMethod = method;
  }
  if (WatchSecondsFromText(fields.watch_seconds, services_.settings.WatchSeconds)) {
    Write(keys::kWatchSeconds, std::to_string(services_.settings.WatchSeconds));
  }
}

bool SettingsDialogModel::SaveSearch(SettingsDialogFields& fields) {
  fields.search_text = Trim(fields.search_text);
  if (!fields.search_text.empty()) {
    Write(keys::kSearchText, fields.search_text);
    services_.settings.SearchText = fields.search_text;
  }
  fields.find_ip = Trim(fields.find_ip);
  if (!fields.find_ip.empty() && !LooksLikeAddress(fields.find_ip)) {
    services_.ui.ShowMessage("Search IP is invalid", MessageIcon::Error);
    return false;
  }
  Write(keys::kFindIp, fields.find_ip);
  services_.settings.FindIP = fields.find_ip;
  return true;
}

void SettingsDialogModel::SaveListFile(const SettingsDialogFields& fields) {
  const std::string text =
      IsWebAddress(Trim(fields.list_file)) ? Trim(fields.list_file) : fields.list_file;
  if (!IsWebAddress(text) && !FileExists(text)) {
    services_.ui.ShowMessage("The List File '" + text + "' is missing", MessageIcon::Information);
    return;
  }
  std::string path = WithDefaultFolder(services_.program_dir, text);
  Write(keys::kListFile, path);
  if (auto list = UpdatedRecentList(path, stored_files_, loaded_files_)) {
    Write(keys::kComboFiles, *list);
    stored_files_ = *list;
  }
}

bool SettingsDialogModel::SaveTestPage(const SettingsDialogFields& fields) {
  if (services_.test_page_problem) {
    if (std::string problem = services_.test_page_problem(fields.test_page); !problem.empty()) {
      services_.ui.ShowMessage(
          "The test page '" + fields.test_page + "' cannot be used: " + problem + ".",
          MessageIcon::Error);
      return false;
    }
  }
  std::string address = fields.test_page;
  services_.set_test_page(address);
  Write(keys::kTestUrl, services_.settings.TestHost + services_.settings.TestPath);
  if (auto list = UpdatedRecentList(fields.test_page, stored_urls_, loaded_urls_)) {
    Write(keys::kComboUrls, *list);
    stored_urls_ = *list;
  }
  return true;
}

bool SettingsDialogModel::SaveCountryDatabase(SettingsDialogFields& fields) {
  if (!services_.change_country_database) return true;
  fields.country_database = Trim(fields.country_database);
  std::string problem = services_.change_country_database(fields.country_database);
  if (!problem.empty()) {
    services_.ui.ShowMessage(problem, MessageIcon::Error);
    return false;
  }
  Write(keys::kCountryDatabase, fields.country_database);
  fields.country_line = services_.settings.CountryLine;
  return true;
}

int SettingsDialogModel::SaveApplyChoice(const SettingsDialogFields& fields) {
  int choice = fields.browser_controls ? fields.apply_choice : 0;
  if (choice != 1 && choice != 2) choice = 0;
  services_.settings.ApplyButton = static_cast<int16_t>(choice);
  Write(keys::kApplyButton, std::to_string(choice));
  return choice;
}

}  // namespace quillet
