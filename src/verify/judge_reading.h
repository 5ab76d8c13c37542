#pragma once
// What a judge page says about its visitor beyond the own address and the search text: whether
// a proxy announced itself in the request headers the judge saw, and which address the judge saw
// the request come from.
#include <string>

namespace quillet {

// How much of the visitor a proxy gives away, from the judge page it returned.
enum class AnonymityLevel {
  Unknown,      // no answer, or not a judge page (the search text was missing)
  Transparent,  // the own address appears on the page
  Anonymous,    // the own address does not, but proxy headers (Via, X-Forwarded-For ...) do
  Elite,        // neither
};

// "transparent", "anonymous", "elite", or empty for Unknown.
const char* LevelWord(AnonymityLevel level);

// Whether the page lists a proxy header with a value. Lines are read as "NAME = value" or
// "NAME: value", the name either as a judge variable (HTTP_X_FORWARDED_FOR) or as the header
// itself (X-Forwarded-For), in any letter case; a header listed empty does not count.
bool ShowsProxyHeaders(const std::string& page);

// The value of the page's REMOTE_ADDR line (the address the judge saw), empty when it has none
// or the value is not a dotted address.
std::string RemoteAddressOf(const std::string& page);

}  // namespace quillet
