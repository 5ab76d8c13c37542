#pragma once
#include "browser/toolbar_button.h"

namespace quillet {

// On Windows the browser's toolbar button is its registry key alone: the program has nothing
// else to install or remove next to it.
class NoToolbarShortcut : public ToolbarShortcut {
 public:
  void Install(const std::string&, const std::string&) override {}
  void Remove(const std::string&) override {}
};

}  // namespace quillet
