// The save prompt and the Save, Reload and Edit buttons of the list.
#include <utility>

#include "app/error_report.h"
#include "core/paths.h"
#include "proxylist/list_file.h"

namespace quillet {

bool ConfirmSaveList(ListWindow window) {
  if (!window.settings.ListDirty) return true;
  MessageAnswer answer = window.ui.ShowMessage("Do you want to save your list changes?",
                                               MessageIcon::None, MessageButtons::YesNoCancel);
  if (answer == MessageAnswer::Cancel) return false;
  if (answer == MessageAnswer::Yes && !GridExport(window)) return false;
  window.settings.ListDirty = false;
  return true;
}

void SaveListCommand(ListWindow window) {
  if (GridExport(window)) window.settings.ListDirty = false;
}

ReloadOutcome ReloadCommand(ListWindow window, const SettingsStore& store,
                            const std::string& program_dir, const ProxyFieldsView& proxy_fields) {
  ReloadOutcome outcome = ReloadOutcome::Stayed;
  RunGuarded(window.ui, tags::kReloadList, [&] {
    if (!ConfirmSaveList(window)) return;
    std::string path = WithDefaultFolder(program_dir, store.Read(keys::kListFile, ""));
    if (IsWebAddress(path)) {
      std::string before = std::exchange(window.settings.ListFile, path);
      if (LoadList(window, proxy_fields))
        outcome = ReloadOutcome::Loaded;
      else
        window.settings.ListFile = before;
      return;
    }
    if (!FileExists(path)) {
      window.ui.ShowMessage("Required List File '" + path + "' " + WhyNotAFile(path),
                            MessageIcon::Error);
      outcome = ReloadOutcome::EndProgram;
      return;
    }
    window.settings.ListFile = path;
    LoadList(window, proxy_fields);
    outcome = ReloadOutcome::Loaded;
  });
  return outcome;
}

void EditListCommand(ListWindow window, DocumentLauncher& launcher) {
  RunGuarded(window.ui, tags::kEditList, [&] {
    std::string path = window.settings.ListFile;
    launcher.LaunchDocument("", path, 1);
  });
}

}  // namespace quillet
