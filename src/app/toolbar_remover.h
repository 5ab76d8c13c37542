#pragma once
#include <string>

namespace quillet {

// Removes the browser toolbar button with the given identifier (and its setting) when the
// program is started with the "detachIE" command line.
class ToolbarRemover {
 public:
  virtual ~ToolbarRemover() = default;
  virtual void RemoveToolbarButton(const std::string& guid) = 0;
};

}  // namespace quillet
