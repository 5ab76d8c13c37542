#pragma once
// The country of an address, from a country database that the user has (MaxMind's format:
// GeoLite2-Country, or DB-IP's free country database), and where such a database is found.
#include <memory>
#include <string>
#include <vector>

namespace quillet {

struct AppSettings;

// A country as the database names it: the ISO 3166 code ("DE") and the English name
// ("Germany"); both empty when the address is not in the database.
struct Country {
  std::string code;
  std::string name;
};

// An open country database. Find may be called from several threads at once.
class CountryLookup {
 public:
  virtual ~CountryLookup() = default;
  virtual Country Find(const std::string& address) const = 0;  // a dotted IPv4 address
};

// The platform's reader of country database files.
class CountryDatabases {
 public:
  virtual ~CountryDatabases() = default;
  // Null, with `problem` saying why, when the file cannot be opened or holds no countries.
  virtual std::shared_ptr<const CountryLookup> Open(const std::string& file,
                                                    std::string& problem) const = 0;
  // The folders searched, in this order, when the settings name no file.
  virtual std::vector<std::string> Folders() const = 0;
};

// The database named by the "CountryDatabase" setting, else the first one found in the
// folders: in each folder "GeoLite2-Country.mmdb", else the newest "dbip-country-lite*.mmdb".
struct CountrySource {
  std::shared_ptr<const CountryLookup> lookup;  // null: no countries
  std::string file;                             // the file named or found; empty when none
  std::string problem;                          // why that file cannot be used; empty when it can
};
CountrySource OpenCountrySource(const CountryDatabases& databases, const std::string& named);

// Where to get a database, said when none is found.
inline constexpr const char* kNoCountryDatabase =
    "No country database: Debian's geoipupdate gets GeoLite2-Country; DB-IP's is at db-ip.com";

// Takes the database that the "CountryDatabase" setting names (or the one found) into
// Countries and CountryLine. Gives the problem of a file that cannot be used, else empty text.
std::string LoadCountryDatabase(AppSettings& settings, const CountryDatabases& databases);
// The same for a new setting: a named file that cannot be used is refused, with its problem,
// and the settings stay as they were.
std::string ChangeCountryDatabase(AppSettings& settings, const CountryDatabases& databases,
                                  const std::string& named);

// The country of the address the judge saw, else that of the proxy's own address.
Country CountryOfProxy(const CountryLookup& lookup, const std::string& exit_address,
                       const std::string& proxy_address);

// Whether `code` is a two-letter country code ("DE"; letter case aside).
bool IsCountryCode(const std::string& code);

}  // namespace quillet
