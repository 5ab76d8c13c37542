#include "net/country_lookup.h"

#include <algorithm>
#include <filesystem>

#include "app/app_settings.h"
#include "core/paths.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr const char* kGeoLiteFile = "GeoLite2-Country.mmdb";
constexpr const char* kDbIpPrefix = "dbip-country-lite";

// DB-IP names its monthly files by date ("dbip-country-lite-2026-12.mmdb"): the last name in
// order is the newest.
std::string NewestDbIpFile(const std::string& folder) {
  std::string newest;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with(kDbIpPrefix) && name.ends_with(".mmdb") && name > newest) newest = name;
  }
  return newest.empty() ? "" : InFolder(folder, newest);
}

std::string FoundFile(const CountryDatabases& databases) {
  for (const std::string& folder : databases.Folders()) {
    if (std::string file = InFolder(folder, kGeoLiteFile); FileExists(file)) return file;
    if (std::string file = NewestDbIpFile(folder); !file.empty()) return file;
  }
  return "";
}

void Take(AppSettings& settings, const CountrySource& source) {
  settings.Countries = source.lookup;
  if (!source.problem.empty()) {
    settings.CountryLine = source.problem;
  } else if (source.lookup) {
    settings.CountryLine = "Countries from " + source.file;
  } else {
    settings.CountryLine = kNoCountryDatabase;
  }
}

}  // namespace

CountrySource OpenCountrySource(const CountryDatabases& databases, const std::string& named) {
  CountrySource source;
  source.file = Trim(named).empty() ? FoundFile(databases) : Trim(named);
  if (source.file.empty()) return source;
  std::string problem;
  source.lookup = databases.Open(source.file, problem);
  if (!source.lookup) {
    source.problem = "The country database '" + source.file + "' cannot be used: " + problem;
  }
  return source;
}

std::string LoadCountryDatabase(AppSettings& settings, const CountryDatabases& databases) {
  CountrySource source = OpenCountrySource(databases, settings.CountryDatabase);
  Take(settings, source);
  return source.problem;
}

std::string ChangeCountryDatabase(AppSettings& settings, const CountryDatabases& databases,
                                  const std::string& named) {
  CountrySource source = OpenCountrySource(databases, named);
  if (!source.problem.empty() && !Trim(named).empty()) return source.problem;
  settings.CountryDatabase = Trim(named);
  Take(settings, source);
  return "";
}

Country CountryOfProxy(const CountryLookup& lookup, const std::string& exit_address,
                       const std::string& proxy_address) {
  Country country;
  if (!exit_address.empty()) country = lookup.Find(exit_address);
  if (country.code.empty() && LooksLikeAddress(proxy_address)) country = lookup.Find(proxy_address);
  return country;
}

bool IsCountryCode(const std::string& code) {
  return code.size() == 2 && std::all_of(code.begin(), code.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
         });
}

}  // namespace quillet
