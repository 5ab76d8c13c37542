#pragma once
#include <string>
#include <vector>

#include "app/settings_store.h"

namespace quillet {

// Public judge pages that echo the visitor's request variables as text (host/path form).
const std::vector<std::string>& FirstRunTestPages();

// True when the first-run values have not been written yet.
bool NeedsFirstRun(const SettingsStore& store);

// Writes the first-run values in their fixed order: ComboFiles, ComboURLs, iApplyButton,
// ListFile, ping, SearchText, FindIP, TestTimeout, TestURL.
void WriteFirstRunValues(SettingsStore& store, const std::string& program_dir);

}  // namespace quillet
