#pragma once
#include "browser/launch.h"

namespace quillet {

// ShellExecuteA with the verb "Open". An owned call names the window active at the call as the
// owner of any message the shell shows; the others have no owner.
class ShellExecuteShell : public Shell {
 public:
  int Open(const std::string& file, const std::string& parameters, int show, bool owned) override;
};

}  // namespace quillet
