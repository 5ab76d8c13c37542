#pragma once
// Small country databases in MaxMind's format, made for a test by the Perl writer of that format
// (Debian's libmaxmind-db-writer-perl).
#include <cstdlib>
#include <string>

namespace quillet::testing {

inline constexpr const char* kLoopbackCountries = "127.0.0.0/24=DE:Germany 127.0.1.0/24=FR:France";
inline constexpr const char* kNoCountryWriter = "no libmaxmind-db-writer-perl to make a database";

// Writes `file` with the given "[TYPE] NETWORK=CODE:NAME ..." entries; false when the writer is
// missing.
inline bool MakeCountryDb(const std::string& file,
                          const std::string& entries = kLoopbackCountries) {
  std::string command = "perl " QUILLET_TESTS_DIR "/fakes/make_country_db.pl '" + file + "' " +
                        entries + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

}  // namespace quillet::testing
