#pragma once
// The button that starts the program from the browser's toolbar: a registry key under the
// browser's extensions key, named by a new identifier kept in the setting "GUID4ie". On a
// desktop without such a toolbar a launcher entry that starts the program goes with it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/settings_dialog_model.h"
#include "app/settings_store.h"
#include "app/toolbar_remover.h"
#include "app/user_interface.h"
#include "browser/registry_api.h"

namespace quillet {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
};

class GuidSource {
 public:
  virtual ~GuidSource() = default;
  // Nothing when no identifier can be made.
  virtual std::optional<Guid> NewGuid() = 0;
};

// The desktop's counterpart of the toolbar button, named by the button's identifier.
class ToolbarShortcut {
 public:
  virtual ~ToolbarShortcut() = default;
  virtual void Install(const std::string& id, const std::string& program_dir) = 0;
  virtual void Remove(const std::string& id) = 0;
};

// 8-4-4-4-12 upper-case hexadecimal digits, without braces.
std::string GuidText(const Guid& guid);
// The same for a new identifier; empty text when none can be made.
std::string NewGuidText(GuidSource& source);

struct ToolbarServices {
  RegistryApi& registry;
  SettingsStore& store;
  UserInterface& ui;
  ToolbarShortcut& shortcut;
  GuidSource& guids;
  std::string program_dir;
};

// Writes the button's values (nothing for an empty identifier, or when the key already holds
// "Exec"). A RegistryError reaches the caller.
void CreateToolbarButton(ToolbarServices& services, const std::string& id);
// Deletes the button's key, the setting and the launcher entry.
void RemoveToolbarButton(ToolbarServices& services, const std::string& id);

// The settings dialog's part: whether a button is attached, its identifier, the caption.
struct ToolbarDialogState {
  bool attached = false;
  std::string guid;
  static ToolbarDialogState FromSettings(const SettingsStore& store);
  std::string Caption() const;
};

// The dialog's create/detach command. A failure is shown and leaves `state` unchanged.
void ToggleToolbarButton(ToolbarServices& services, ToolbarDialogState& state);

// The settings dialog's bAttachIE: toggles for the dialog's state and gives the new caption,
// or nothing when the state did not change.
std::optional<std::string> ToggleToolbarFromDialog(ToolbarServices& services,
                                                   SettingsDialogModel& dialog);

// The "detachIE" command line of start-up.
class RegistryToolbarRemover : public ToolbarRemover {
 public:
  explicit RegistryToolbarRemover(ToolbarServices services) : services_(std::move(services)) {}
  void RemoveToolbarButton(const std::string& guid) override;

 private:
  ToolbarServices services_;
};

}  // namespace quillet
