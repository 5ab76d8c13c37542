#pragma once
// The toolbar button's counterpart on the desktop: a launcher entry "Set Proxy" that starts
// the program, $XDG_DATA_HOME/applications/quillet-<identifier>.desktop.
#include <string>

#include "browser/toolbar_button.h"

namespace quillet {

class DesktopToolbarShortcut : public ToolbarShortcut {
 public:
  // `folder`: where launcher entries live (empty: the user's applications folder).
  explicit DesktopToolbarShortcut(std::string folder = "");
  void Install(const std::string& id, const std::string& program_dir) override;
  void Remove(const std::string& id) override;
  std::string EntryPath(const std::string& id) const;

 private:
  std::string folder_;
};

// One argument of a desktop entry's Exec line, quoted by the entry format's rules.
std::string DesktopExecArgument(const std::string& argument);

}  // namespace quillet
