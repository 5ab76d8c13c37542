#include "platform/win32/wininet_browser_info.h"

#include <windows.h>

#include <wininet.h>

#include <cstring>

namespace quillet {

std::optional<ClientVersion> WinInetBrowserInfo::Version() {
  INTERNET_VERSION_INFO info = {};
  DWORD size = sizeof info;
  static_assert(sizeof info == 8, "the version record is two 32-bit numbers");
  if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_VERSION, &info, &size)) return std::nullopt;
  return ClientVersion{info.dwMajorVersion, info.dwMinorVersion};
}

std::string WinInetBrowserInfo::Cookies(const std::string& url) {
  char buffer[255] = {};
  DWORD size = sizeof buffer;
  if (!InternetGetCookieA(url.c_str(), nullptr, buffer, &size)) return "";
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace quillet
