#include "platform/win32/win32_error.h"

#include <windows.h>

#include <string_view>

namespace quillet {

std::string WindowsErrorText(unsigned long code) {
  char buffer[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && std::string_view(" \r\n.").find(text.back()) != std::string_view::npos) {
    text.pop_back();
  }
  std::string number = std::to_string(code);
  return text.empty() ? number : number + " (" + text + ")";
}

}  // namespace quillet
