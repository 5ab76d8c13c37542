#include "browser/launch.h"

#include <map>

namespace quillet {

std::string ShellProblemText(int code) {
  static const std::map<int, std::string> kTexts = {
      {0, "The file could not be run due to insufficient system memory or a corrupt program file"},
      {2, "File Not Found"},
      {3, "Invalid Path"},
      {5, "Sharing or protection error"},
      {6, "Separate data segments are required for each task "},
      {8, "Insufficient memory to run the program"},
      {10, "Incorrect Windows version"},
      {11, "Invalid Program File"},
      {12, "Program file requires a different operating System "},
      {13, "Program requires MS-DOS 4.0"},
      {14, "Unknown program file type"},
      {15, "Windows prgram does not support protected memory mode"},
      {16, "Invalid use of data segments when loading a second instance of a program"},
      {19, "Attempt to run a compressed program file"},
      {20, "Invalid dynamic link library"},
      {21, "Program requires Windows 32-bit extensions"},
      {31, "No application found for this file"},
  };
  auto found = kTexts.find(code);
  return found == kTexts.end() ? "" : found->second;
}

void LaunchDocument(Shell& shell, UserInterface& ui, const std::string& file,
                    const std::string& parameters, int show) {
  bool owned = parameters.empty();
  int result = shell.Open(file, parameters, show, owned);
  if (result > 31) return;
  std::string text = ShellProblemText(result);
  if (!text.empty())
    ui.ShowMessage(text, MessageIcon::Error, MessageButtons::Ok, kShellProblemTitle);
}

}  // namespace quillet
