#pragma once
// Opening documents and addresses with the desktop's default applications (GIO), and starting
// programs directly (g_spawn_async). Nothing goes through a command shell: a name holding
// quotes, blanks, ";" or "$(...)" is only ever a name.
#include "browser/launch.h"

namespace quillet {

class GioShell : public Shell {
 public:
  // The program name "IEXPLORE.EXE" with an address opens the address in the default browser.
  int Open(const std::string& file, const std::string& parameters, int show, bool owned) override;
};

}  // namespace quillet
