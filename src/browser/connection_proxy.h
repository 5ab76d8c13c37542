#pragma once
// The component that reads and writes the proxy options of one connection. The empty
// connection name is the local network; other names are phonebook entries.
#include <cstdint>
#include <string>

#include "core/errors.h"

namespace quillet {

inline constexpr int32_t kProxyOptionServer = 2;  // the ProxyString
inline constexpr int32_t kProxyOptionBypass = 3;  // the bypass list
inline constexpr int32_t kProxyFlagsDirect = 1;
inline constexpr int32_t kProxyFlagsManual = 2;
inline constexpr int32_t kProxyFlagsBypass = 3;

// What the user is told after Apply: which programs follow the new settings and which do not.
struct FollowersNotice {
  std::string text;       // empty: nothing to say
  std::string clipboard;  // a line to put on the clipboard (a browser's start switch), or empty
  bool warning = false;   // some settings could not be written
};

class ConnectionProxyComponent {
 public:
  virtual ~ConnectionProxyComponent() = default;
  // For option 2 the flags also switch the proxy on (2) or off (1). Failures throw.
  virtual void SetConnectionOption(int32_t option, const std::string& connection,
                                   const std::string& value, int32_t flags) = 0;
  // For option 2 the flags come back as 1 exactly when the connection goes direct.
  virtual void GetConnectionOption(int32_t option, const std::string& connection,
                                   std::string& value, int32_t& flags) = 0;
  // Called before anything is written with the server text, its flags and the bypass list that
  // will be written (empty when none): throws RunTimeError with the reason when the settings
  // cannot take them, so that nothing is written in part.
  virtual void CheckValues(const std::string& /*server*/, int32_t /*flags*/,
                           const std::string& /*bypass*/) {}
  // Called when Apply's writes are done: which programs follow them, to tell the user (empty
  // when there is nothing new to say).
  virtual FollowersNotice FinishApply() { return {}; }
  // The way back: whether the settings the desktop had before Quillet first changed them are
  // kept, and putting them back (then they are no longer kept). Throws RunTimeError with a
  // one-line reason.
  virtual bool HasKeptSettings() const { return false; }
  virtual void RestoreKeptSettings() {
    throw RunTimeError(kErrFileNotFound, "Quillet has kept no previous proxy settings here.");
  }
};

}  // namespace quillet
