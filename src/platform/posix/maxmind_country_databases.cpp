#include "platform/posix/maxmind_country_databases.h"

#include <maxminddb.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/paths.h"
#include "core/text.h"

namespace quillet {
namespace {

// The file stays mapped while a lookup uses it; libmaxminddb's lookups only read it, so several
// threads may look up at once.
class MaxMindLookup : public CountryLookup {
 public:
  explicit MaxMindLookup(const MMDB_s& database) : database_(database) {}
  ~MaxMindLookup() override { MMDB_close(&database_); }
  MaxMindLookup(const MaxMindLookup&) = delete;
  MaxMindLookup& operator=(const MaxMindLookup&) = delete;

  Country Find(const std::string& address) const override {
    int resolve_error = 0, lookup_error = 0;
    MMDB_lookup_result_s found =
        MMDB_lookup_string(&database_, address.c_str(), &resolve_error, &lookup_error);
    if (resolve_error != 0 || lookup_error != MMDB_SUCCESS || !found.found_entry) return {};
    // An address with no country of its own (a satellite link, an anycast network) still has
    // the country it is registered in.
    for (const char* map : {"country", "registered_country"}) {
      Country country{Text(found.entry, {map, "iso_code", nullptr}),
                      Text(found.entry, {map, "names", "en", nullptr})};
      if (!country.code.empty()) return country;
    }
    return {};
  }

 private:
  static std::string Text(MMDB_entry_s entry, std::initializer_list<const char*> path) {
    MMDB_entry_data_s data{};
    if (MMDB_aget_value(&entry, &data, path.begin()) != MMDB_SUCCESS || !data.has_data ||
        data.type != MMDB_DATA_TYPE_UTF8_STRING) {
      return "";
    }
    return std::string(data.utf8_string, data.data_size);
  }

  MMDB_s database_;
};

// GeoLite2-Country, GeoIP2-Country, DBIP-Country-Lite; city databases carry countries too.
bool HoldsCountries(const MMDB_s& database) {
  const char* type = database.metadata.database_type;
  std::string kind = ToLower(type ? type : "");
  return kind.find("country") != std::string::npos || kind.find("city") != std::string::npos;
}

}  // namespace

std::shared_ptr<const CountryLookup> MaxMindCountryDatabases::Open(const std::string& file,
                                                                   std::string& problem) const {
  // A device or a FIFO is never opened: reading one could wait for good.
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    problem = "it " + WhyNotAFile(file);
    return nullptr;
  }
  MMDB_s database{};
  errno = 0;
  int status = MMDB_open(file.c_str(), MMDB_MODE_MMAP, &database);
  if (status == MMDB_FILE_OPEN_ERROR) {
    problem = errno != 0 ? std::strerror(errno) : MMDB_strerror(status);
    return nullptr;
  }
  if (status != MMDB_SUCCESS) {
    problem = std::string("it is not a MaxMind-format database (") + MMDB_strerror(status) + ")";
    return nullptr;
  }
  if (!HoldsCountries(database)) {
    const char* type = database.metadata.database_type;
    problem = std::string("it is not a country database, but '") + (type ? type : "") + "'";
    MMDB_close(&database);
    return nullptr;
  }
  return std::make_shared<const MaxMindLookup>(database);
}

std::vector<std::string> MaxMindCountryDatabases::Folders() const {
  std::vector<std::string> folders = {"/usr/share/GeoIP", "/var/lib/GeoIP"};
  if (!user_data_dir_.empty()) folders.insert(folders.begin(), user_data_dir_);
  return folders;
}

}  // namespace quillet
