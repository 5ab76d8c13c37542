#pragma once
#include "net/country_lookup.h"

namespace quillet {

// The Windows build has no reader of country databases yet (libmaxminddb is not part of it):
// no folder is searched, so the window shows no countries, and a file named in the settings is
// refused with that reason.
class NoCountryDatabases : public CountryDatabases {
 public:
  std::shared_ptr<const CountryLookup> Open(const std::string&,
                                            std::string& problem) const override {
    problem = "this build of Quillet cannot read country databases";
    return nullptr;
  }
  std::vector<std::string> Folders() const override { return {}; }
};

}  // namespace quillet
