#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/app_settings.h"
#include "fakes/country_db.h"
#include "fakes/temp_dir.h"
#include "platform/posix/maxmind_country_databases.h"

namespace quillet {
namespace {

// The newest DB-IP file of the user's folder gives the countries: of the address the judge saw,
// else of the proxy's own. A file the settings name that cannot be used is refused with the file
// and the reason, and the database in use stays.
TEST(MaxMindCountryDatabases, findsTheCountriesAndSaysWhyAFileCannotBeUsed) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "data");
  if (!testing::MakeCountryDb(dir / "data/dbip-country-lite-2026-12.mmdb"))
    GTEST_SKIP() << testing::kNoCountryWriter;
  testing::MakeCountryDb(dir / "data/dbip-country-lite-2026-11.mmdb", "127.0.0.0/8=IT:Italy");
  testing::MakeCountryDb(dir / "asn.mmdb", "GeoLite2-ASN 127.0.0.0/8=DE:Germany");
  std::ofstream(dir / "damaged.mmdb") << std::string(5000, 'x');
  MaxMindCountryDatabases databases(dir / "data");
  AppSettings settings;
  EXPECT_EQ(LoadCountryDatabase(settings, databases), "");
  EXPECT_EQ(settings.CountryLine, "Countries from " + dir / "data/dbip-country-lite-2026-12.mmdb");
  ASSERT_TRUE(settings.Countries);
  Country exit = CountryOfProxy(*settings.Countries, "127.0.0.9", "127.0.1.9");
  Country own = CountryOfProxy(*settings.Countries, "", "127.0.1.9");
  EXPECT_EQ(exit.code + exit.name + own.code + own.name, "DEGermanyFRFrance");
  EXPECT_EQ(CountryOfProxy(*settings.Countries, "10.0.0.1", "name.example").code, "");

  for (auto [file, reason] : {std::pair{"missing.mmdb", "it is missing"},
                              {"damaged.mmdb",
                               "it is not a MaxMind-format database (The MaxMind DB file contains "
                               "invalid metadata)"},
                              {"asn.mmdb", "it is not a country database, but 'GeoLite2-ASN'"}}) {
    EXPECT_EQ(ChangeCountryDatabase(settings, databases, dir / file),
              "The country database '" + dir / file + "' cannot be used: " + reason);
  }
  EXPECT_EQ(settings.CountryDatabase + settings.Countries->Find("127.0.1.1").code, "FR");
}

}  // namespace
}  // namespace quillet
