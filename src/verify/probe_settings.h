#pragma once
// The settings one proxy check reads, copied out of AppSettings so that a check can run on its
// own, away from the window, while the user keeps working.
#include <cstdint>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "net/country_lookup.h"

namespace quillet {

struct ProbeSettings {
  std::string TestHost;  // may carry ":" and a port
  std::string TestPath;
  int32_t TestTimeoutMs = 0;
  int32_t PingTimeoutMs = 0;
  std::string SearchText;
  std::string FindIP;
  std::string MyIP;
  std::string PublicIP = "";                       // as the judge saw it on a direct visit
  std::string PingMethod = defaults::kPingMethod;  // one of kPingMethods
  std::shared_ptr<const CountryLookup> Countries = nullptr;  // null: no countries

  static ProbeSettings From(const AppSettings& settings) {
    return {settings.TestHost,   settings.TestPath, settings.TestTimeoutMs, settings.PingTimeoutMs,
            settings.SearchText, settings.FindIP,   settings.MyIP,          settings.PublicIP,
            settings.PingMethod, settings.Countries};
  }

  // The address whose presence in a judge page means "not anonymous": the one typed in, else
  // the one the judge saw, else the machine's own.
  const std::string& OwnAddress() const {
    return !FindIP.empty() ? FindIP : !PublicIP.empty() ? PublicIP : MyIP;
  }
};

}  // namespace quillet
