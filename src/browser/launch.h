#pragma once
// LaunchDocument: the program's one way of opening a document, a web address or a program.
#include <string>

#include "app/user_interface.h"

namespace quillet {

inline constexpr const char* kShellProblemTitle = "Shell problem";
inline constexpr const char* kBrowserProgram = "IEXPLORE.EXE";  // stands for the web browser
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimised = 2;

// Opens things the way the desktop does. The result follows the shell's convention: above 31
// is success, 0 to 31 a failure code.
class Shell {
 public:
  virtual ~Shell() = default;
  // `file` with empty `parameters`: opens that document or program (owned by the active window
  // when `owned`). Both given: runs the program `file` with `parameters` as its command line.
  // Empty `file`: opens the document or address in `parameters`.
  virtual int Open(const std::string& file, const std::string& parameters, int show,
                   bool owned) = 0;
};

// The message for a failure code, or empty text when the code shows nothing.
std::string ShellProblemText(int code);

// Opens the target; a failure shows its message under the title "Shell problem".
void LaunchDocument(Shell& shell, UserInterface& ui, const std::string& file,
                    const std::string& parameters, int show);

}  // namespace quillet
