#include "platform/win32/wininet_connection_proxy.h"

#include <windows.h>

#include <wininet.h>

#include <vector>

#include "core/errors.h"
#include "platform/win32/win32_error.h"

namespace quillet {
namespace {

// One call of the per-connection option with the given options filled or to be filled.
bool PerConnection(bool write, const std::string& connection,
                   std::vector<INTERNET_PER_CONN_OPTIONA>& options) {
  INTERNET_PER_CONN_OPTION_LISTA list = {};
  list.dwSize = sizeof list;
  list.pszConnection = connection.empty() ? nullptr : const_cast<char*>(connection.c_str());
  list.dwOptionCount = static_cast<DWORD>(options.size());
  list.pOptions = options.data();
  DWORD size = sizeof list;
  return write ? InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, size)
               : InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size);
}

INTERNET_PER_CONN_OPTIONA TextOption(DWORD number, const std::string& text) {
  INTERNET_PER_CONN_OPTIONA option = {};
  option.dwOption = number;
  option.Value.pszValue = const_cast<char*>(text.c_str());
  return option;
}

INTERNET_PER_CONN_OPTIONA NumberOption(DWORD number, DWORD value) {
  INTERNET_PER_CONN_OPTIONA option = {};
  option.dwOption = number;
  option.Value.dwValue = value;
  return option;
}

// Takes over a text that WinINet allocated for a query.
std::string TakeText(char* text) {
  if (!text) return "";
  std::string copy(text);
  GlobalFree(text);
  return copy;
}

[[noreturn]] void Fail(const char* what, int32_t option, const std::string& connection) {
  throw RunTimeError(kErrInvalidCall, std::string("Cannot ") + what + " proxy option " +
                                          std::to_string(option) + " of the connection '" +
                                          (connection.empty() ? "LAN" : connection) + "': error " +
                                          WindowsErrorText(GetLastError()));
}

void CheckOption(int32_t option, const std::string& connection) {
  if (option != kProxyOptionServer && option != kProxyOptionBypass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    Fail("use", option, connection);
  }
}

// The connection's flags with the proxy switched on or off; "automatically detect" and the
// auto-config script stay as the user set them.
DWORD SwitchedProxyFlags(const std::string& connection, bool proxy_on) {
  std::vector<INTERNET_PER_CONN_OPTIONA> current = {NumberOption(INTERNET_PER_CONN_FLAGS, 0)};
  if (!PerConnection(false, connection, current)) Fail("read", kProxyOptionServer, connection);
  DWORD kept = current[0].Value.dwValue & (PROXY_TYPE_AUTO_DETECT | PROXY_TYPE_AUTO_PROXY_URL);
  // Through a proxy the bypass entries still go direct, so both kinds are allowed.
  return kept | PROXY_TYPE_DIRECT | (proxy_on ? PROXY_TYPE_PROXY : 0);
}

}  // namespace

void WinInetConnectionProxy::SetConnectionOption(int32_t option, const std::string& connection,
                                                 const std::string& value, int32_t flags) {
  CheckOption(option, connection);
  std::vector<INTERNET_PER_CONN_OPTIONA> options;
  if (option == kProxyOptionServer) {
    DWORD kind = SwitchedProxyFlags(connection, flags != kProxyFlagsDirect);
    options = {NumberOption(INTERNET_PER_CONN_FLAGS, kind),
               TextOption(INTERNET_PER_CONN_PROXY_SERVER, value)};
  } else {
    options = {TextOption(INTERNET_PER_CONN_PROXY_BYPASS, value)};
  }
  if (!PerConnection(true, connection, options)) Fail("write", option, connection);
  NotifyProxySettingsChanged();
}

void WinInetConnectionProxy::GetConnectionOption(int32_t option, const std::string& connection,
                                                 std::string& value, int32_t& flags) {
  CheckOption(option, connection);
  std::vector<INTERNET_PER_CONN_OPTIONA> options = {
      NumberOption(INTERNET_PER_CONN_FLAGS, 0),
      NumberOption(option == kProxyOptionServer ? INTERNET_PER_CONN_PROXY_SERVER
                                                : INTERNET_PER_CONN_PROXY_BYPASS,
                   0)};
  if (!PerConnection(false, connection, options)) Fail("read", option, connection);
  value = TakeText(options[1].Value.pszValue);
  flags = (options[0].Value.dwValue & PROXY_TYPE_PROXY) ? kProxyFlagsManual : kProxyFlagsDirect;
}

SettingsNotice NotifyProxySettingsChanged() {
  SettingsNotice notice;
  notice.settings_changed =
      InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0) != FALSE;
  notice.refreshed = InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0) != FALSE;
  return notice;
}

}  // namespace quillet
