#include "app/first_run.h"

#include <filesystem>
#include <system_error>

#include "app/app_settings.h"
#include "core/paths.h"

namespace quillet {

const std::vector<std::string>& FirstRunTestPages() {
  static const std::vector<std::string> pages = {
      "azenv.net/",
      "www.proxy-listen.de/azenv.php",
      "proxyjudge.us/azenv.php",
      "httpheader.net/azenv.php",
      "mojeip.net.pl/asdfa/azenv.php",
      "www.wfuchs.de/azenv.php",
      "pascal.hoez.free.fr/azenv.php",
      "proxyjudge.info/azenv.php",
  };
  return pages;
}

// "TestURL" is the last first-run value written, so its presence marks a finished first run.
bool NeedsFirstRun(const SettingsStore& store) {
  return !store.Contains(keys::kTestUrl);
}

std::string FirstRunListFile(const SampleListFolders& folders) {
  namespace fs = std::filesystem;
  std::string beside_program = InFolder(folders.program_dir, kFirstRunListName);
  std::string shared = folders.shared_data_dir.empty()
                           ? std::string()
                           : InFolder(folders.shared_data_dir, kFirstRunListName);
  if (FileExists(beside_program) || !FileExists(shared)) return beside_program;
  if (folders.user_data_dir.empty()) return shared;
  std::string copy = InFolder(folders.user_data_dir, kFirstRunListName);
  if (FileExists(copy)) return copy;  // a list the user already has is never replaced
  std::error_code error;
  fs::create_directories(folders.user_data_dir, error);
  if (!fs::copy_file(shared, copy, error)) return shared;
  fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                  error);
  return copy;
}

void WriteFirstRunValues(SettingsStore& store, const std::string& list_file) {
  std::string combo_urls;
  for (const std::string& page : FirstRunTestPages()) combo_urls += page + ";";

  store.Save(keys::kComboFiles, list_file + ";");
  store.Save(keys::kComboUrls, combo_urls);
  store.Save(keys::kApplyButton, "0");
  store.Save(keys::kListFile, list_file);
  store.Save(keys::kPing, "2500");
  store.Save(keys::kSearchText, "REMOTE_ADDR");
  store.Save(keys::kFindIp, "");
  store.Save(keys::kTestTimeout, "20");
  store.Save(keys::kTestUrl, FirstRunTestPages().front());
}

}  // namespace quillet
