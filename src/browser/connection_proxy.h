#pragma once
// The component that reads and writes the proxy options of one connection. The empty
// connection name is the local network; other names are phonebook entries.
#include <cstdint>
#include <string>

namespace quillet {

inline constexpr int32_t kProxyOptionServer = 2;  // the ProxyString
inline constexpr int32_t kProxyOptionBypass = 3;  // the bypass list
inline constexpr int32_t kProxyFlagsDirect = 1;
inline constexpr int32_t kProxyFlagsManual = 2;
inline constexpr int32_t kProxyFlagsBypass = 3;

class ConnectionProxyComponent {
 public:
  virtual ~ConnectionProxyComponent() = default;
  // For option 2 the flags also switch the proxy on (2) or off (1). Failures throw.
  virtual void SetConnectionOption(int32_t option, const std::string& connection,
                                   const std::string& value, int32_t flags) = 0;
  // For option 2 the flags come back as 1 exactly when the connection goes direct.
  virtual void GetConnectionOption(int32_t option, const std::string& connection,
                                   std::string& value, int32_t& flags) = 0;
  // Called before anything is written with the server text and the bypass list that will be
  // written (empty when none): throws RunTimeError with the reason when the settings cannot
  // take them, so that nothing is written in part.
  virtual void CheckValues(const std::string& /*server*/, const std::string& /*bypass*/) {}
  // Which programs follow the settings written, said once after the first Apply; empty when
  // there is nothing to say.
  virtual std::string TakeFollowersNotice() { return ""; }
  // A problem met while opening the settings (a damaged file moved aside), said at start.
  virtual std::string OpenProblem() const { return ""; }
};

}  // namespace quillet
