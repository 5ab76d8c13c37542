#include "proxylist/extra_columns.h"

#include <list>
#include <mutex>

namespace quillet {
namespace {

std::string FetchText(const ProxyRow& row) {
  return row.fetch_ms < 0 ? std::string() : std::to_string(row.fetch_ms);
}

std::string FetchTip(const ProxyRow& row) {
  if (row.fetch_ms < 0) return "";
  return "Fetch: " + FetchText(row) +
         " ms from sending the request to the judge's whole answer through the proxy";
}

std::string CountryText(const ProxyRow& row) {
  return row.country ? row.country->code : std::string();
}

std::string CountryTip(const ProxyRow& row) {
  return row.country ? row.country->name + " (" + row.country->code + ")" : std::string();
}

}  // namespace

const ExtraColumn kFetchColumn = {"Fetch", CellAlignment::Right, 700, true, FetchText, FetchTip};
const ExtraColumn kCountryColumn = {"Country", CellAlignment::Centre, 800,
                                    false,     CountryText,           CountryTip};

std::vector<const ExtraColumn*> GridExtraColumns(bool with_countries) {
  if (with_countries) return {&kFetchColumn, &kCountryColumn};
  return {&kFetchColumn};
}

const Country* SharedCountry(const Country& country) {
  if (country.code.empty()) return nullptr;
  static std::mutex mutex;
  static std::list<Country> known;  // never shrinks: rows point into it
  std::lock_guard lock(mutex);
  for (const Country& met : known)
    if (met.code == country.code && met.name == country.name) return &met;
  return &known.emplace_back(country);
}

}  // namespace quillet
