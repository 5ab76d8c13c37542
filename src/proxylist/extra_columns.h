#pragma once
// The grid's columns after the ten that the list file keeps: what the last check of a row found
// beyond those cells. They are display state, like a row's colours and its anonymity level:
// never written to the list file, never part of what a check reads of a row, and they paint in
// the colours of the row's last file cell. Each column says its title, alignment and width, its
// cells' text and tip, and how it sorts.
#include <string>
#include <vector>

#include "proxylist/proxy_row.h"

namespace quillet {

enum class CellAlignment { Left, Centre, Right };

struct ExtraColumn {
  const char* title;
  CellAlignment alignment;
  int width;  // twips
  // Sorted by the value of the cell's number (Ping's way), else by its text without regard to
  // letter case; empty cells go last in either direction.
  bool numeric;
  std::string (*text)(const ProxyRow& row);
  // What the cell's tip says; empty text: the cell's text is tip enough.
  std::string (*tip)(const ProxyRow& row);
};

// "Fetch": milliseconds from sending the request to the end of the judge's answer through the
// proxy (ProxyRow::fetch_ms), the first column after those the list file holds (Ping, then Col).
extern const ExtraColumn kFetchColumn;
// "Country": the ISO code of the country of the address the judge saw (else of the proxy's own),
// with the country's name in the tip (ProxyRow::country).
extern const ExtraColumn kCountryColumn;

// The grid's extra columns: Fetch, and Country while a country database is in use.
std::vector<const ExtraColumn*> GridExtraColumns(bool with_countries);

// One lasting copy of each country met, for rows to point at: a list of a million rows keeps
// a few hundred countries. Null for a country without a code.
const Country* SharedCountry(const Country& country);

}  // namespace quillet
