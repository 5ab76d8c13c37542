#pragma once
// Country databases in MaxMind's format, read through libmaxminddb.
#include <string>

#include "net/country_lookup.h"

namespace quillet {

class MaxMindCountryDatabases : public CountryDatabases {
 public:
  // `user_data_dir` is searched first, then the folders where geoipupdate and the distributions
  // put the databases.
  explicit MaxMindCountryDatabases(std::string user_data_dir)
      : user_data_dir_(std::move(user_data_dir)) {}

  std::shared_ptr<const CountryLookup> Open(const std::string& file,
                                            std::string& problem) const override;
  std::vector<std::string> Folders() const override;

 private:
  std::string user_data_dir_;
};

}  // namespace quillet
