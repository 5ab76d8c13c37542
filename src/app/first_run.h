#pragma once
#include <string>
#include <vector>

#include "app/settings_store.h"

namespace quillet {

// Public judge pages that echo the visitor's request variables as text (host/path form).
const std::vector<std::string>& FirstRunTestPages();

// True when the first-run values have not been written yet.
bool NeedsFirstRun(const SettingsStore& store);

// Where the sample list can be found. From the build folder it lies beside the program; an
// installed program finds it in its shared data folder, which the user cannot write, and keeps
// the user's own copy in the user's data folder.
struct SampleListFolders {
  std::string program_dir;
  std::string shared_data_dir;  // <prefix>/share/quillet; empty where there is none
  std::string user_data_dir;    // $XDG_DATA_HOME/quillet; empty where there is none
};

// The list file that the first run names: the sample beside the program when it is there;
// otherwise the user's copy of the shared sample, made now unless one exists already (the
// shared sample itself when no copy can be made); the path beside the program when neither
// folder holds a sample.
std::string FirstRunListFile(const SampleListFolders& folders);

// Writes the first-run values in their fixed order: ComboFiles, ComboURLs, iApplyButton,
// ListFile, ping, SearchText, FindIP, TestTimeout, TestURL.
void WriteFirstRunValues(SettingsStore& store, const std::string& list_file);

}  // namespace quillet
