#include "browser/toolbar_button.h"

#include <cstdio>
#include <utility>

#include "app/app_settings.h"
#include "app/desktop_kind.h"
#include "app/settings_dialog_model.h"
#include "browser/registry.h"
#include "core/paths.h"

namespace quillet {
namespace {

constexpr const char* kButtonText = "Set Proxy";
constexpr const char* kRunProgramClass = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";
constexpr const char* kProgramFile = "quillet.exe";

std::string ButtonKey(const std::string& id) {
  return std::string(kExtensionsKey) + "\\" + id + "\\";
}

void ShowFailure(UserInterface& ui, const std::exception& failure) {
  ui.ShowMessage(failure.what(), MessageIcon::Error);
}

}  // namespace

std::string GuidText(const Guid& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", guid.data1,
                guid.data2, guid.data3, guid.data4[0], guid.data4[1], guid.data4[2], guid.data4[3],
                guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
  return text;
}

std::string NewGuidText(GuidSource& source) {
  std::optional<Guid> guid = source.NewGuid();
  return guid ? GuidText(*guid) : "";
}

void CreateToolbarButton(ToolbarServices& services, const std::string& id) {
  if (id.empty()) return;
  CRegistry registry(services.registry, services.ui);
  registry.SetRoot(kHkeyLocalMachine);
  registry.SetKey(ButtonKey(id));
  if (!registry.GetValue("Exec").empty()) return;
  std::string program = InFolder(services.program_dir, kProgramFile);
  const std::pair<const char*, std::string> values[] = {
      {"ButtonText", kButtonText},   {"MenuText", kButtonText},  {"MenuStatusBar", kButtonText},
      {"clsid", kRunProgramClass},   {"Default Visible", "Yes"}, {"Icon", program + ",101"},
      {"HotIcon", program + ",102"}, {"Exec", program},
  };
  for (const auto& [name, data] : values) registry.SetValue(std::string(name), data);
  services.shortcut.Install(id, services.program_dir);
}

void RemoveToolbarButton(ToolbarServices& services, const std::string& id) {
  CRegistry registry(services.registry, services.ui);
  registry.SetRoot(kHkeyLocalMachine);
  registry.SetKey(kExtensionsKey);
  registry.DeleteKey(id);
  services.store.Delete(keys::kToolbarGuid);
  services.shortcut.Remove(id);
}

ToolbarDialogState ToolbarDialogState::FromSettings(const SettingsStore& store) {
  ToolbarDialogState state;
  state.guid = store.Read(keys::kToolbarGuid, "");
  state.attached = !state.guid.empty();
  return state;
}

std::string ToolbarDialogState::Caption() const {
  return ToolbarCaption(attached);
}

void ToggleToolbarButton(ToolbarServices& services, ToolbarDialogState& state) {
  UserInterface& ui = services.ui;
  if (state.attached) {
    try {
      RemoveToolbarButton(services, state.guid);
    } catch (const std::exception& failure) {
      return ShowFailure(ui, failure);
    }
    ui.ShowMessage(kBrowserDesktop
                       ? std::string(kAppTitle) + " was detached from IE."
                       : "The 'Set Proxy' launcher was removed from the desktop's menu.");
    state.attached = false;
    return;
  }
  std::string stored = services.store.Read(keys::kToolbarGuid, "");
  if (!stored.empty()) {
    state.guid = stored;
    return;
  }
  std::string text = NewGuidText(services.guids);
  if (text.empty()) {
    ui.ShowMessage("No new identifier could be made for the toolbar button.", MessageIcon::Error);
    return;
  }
  std::string id = "{" + text + "}";
  try {
    CreateToolbarButton(services, id);
    services.store.Save(keys::kToolbarGuid, id);
  } catch (const std::exception& failure) {
    return ShowFailure(ui, failure);
  }
  ui.ShowMessage(kBrowserDesktop
                     ? std::string(kAppTitle) + " toolbar button was created in IE.\r\n" +
                           "   To add the new button to the toolbar: \r\n" +
                           "1. open IE and right-click on the toolbar\r\n" +
                           "2. select Customize\r\n" +
                           "3. move 'Set Proxy' from Available to Current list\r\n" + "4. hit Close"
                     : std::string("A launcher 'Set Proxy' that starts ") + kAppTitle +
                           " was created in the desktop's application menu.",
                 MessageIcon::None, MessageButtons::Ok, "Confirmation");
  state.guid = id;
  state.attached = true;
}

std::optional<std::string> ToggleToolbarFromDialog(ToolbarServices& services,
                                                   SettingsDialogModel& dialog) {
  ToolbarDialogState state{dialog.toolbar_attached(), dialog.toolbar_guid()};
  ToggleToolbarButton(services, state);
  bool changed = state.attached != dialog.toolbar_attached();
  dialog.set_toolbar_state(state.attached, state.guid);
  if (!changed) return std::nullopt;
  return state.Caption();
}

void RegistryToolbarRemover::RemoveToolbarButton(const std::string& guid) {
  quillet::RemoveToolbarButton(services_, guid);
}

}  // namespace quillet
