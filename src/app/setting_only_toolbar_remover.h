#pragma once
#include "app/app_settings.h"
#include "app/toolbar_remover.h"

namespace quillet {

// Forgets the toolbar button by deleting its "GUID4ie" setting; used where no browser toolbar
// can be touched.
class SettingOnlyToolbarRemover : public ToolbarRemover {
 public:
  explicit SettingOnlyToolbarRemover(SettingsStore& store) : store_(store) {}
  void RemoveToolbarButton(const std::string&) override { store_.Delete(keys::kToolbarGuid); }

 private:
  SettingsStore& store_;
};

}  // namespace quillet
