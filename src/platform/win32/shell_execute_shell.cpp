#include "platform/win32/shell_execute_shell.h"

#include <windows.h>

#include <shellapi.h>

namespace quillet {

int ShellExecuteShell::Open(const std::string& file, const std::string& parameters, int show,
                            bool owned) {
  HWND owner = owned ? GetActiveWindow() : nullptr;
  const char* target = file.empty() ? parameters.c_str() : file.c_str();
  const char* arguments = file.empty() || parameters.empty() ? nullptr : parameters.c_str();
  HINSTANCE result = ShellExecuteA(owner, "Open", target, arguments, nullptr, show);
  return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace quillet
