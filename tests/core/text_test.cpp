// The text rules, paths, the version text and the judge page's digest.
#include <gtest/gtest.h>

#include "core/page_digest.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version.h"

namespace quillet {
namespace {

TEST(Text, leadingNumberReadsTheNumberAtTheStartOrZero) {
  EXPECT_EQ(LeadingNumber("  12;15"), 12);
  EXPECT_EQ(LeadingNumber(";14"), 0);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("-3e2x"), -300);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e"), 1);  // an exponent without digits is not part of it
  EXPECT_EQ(LeadingNumber("1e999999"), 0);   // out of range gives no number rather than inf
  EXPECT_EQ(LeadingWholeNumber("2.5"), 3);
  EXPECT_EQ(LeadingWholeNumber("-2.5"), -3);
}

TEST(Text, isNumericFollowsAGeneralNumberParser) {
  for (const char* yes : {"80", " 80 ", "+8", "-8", "8.5", ".5", "5.", "1e3", "1E-3", "12700001"})
    EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", " ", "8a", "1.2.3", "e3", ".", "+", "1e", "0x10", "8 0"})
    EXPECT_FALSE(IsNumeric(no)) << no;
  EXPECT_TRUE(LooksLikeAddress("127.0.0.1"));
  EXPECT_TRUE(LooksLikeAddress("1.2.3"));  // the dotted test is deliberately loose
  EXPECT_FALSE(LooksLikeAddress("proxy.example.net"));
}

// Before and After use the first separator; case-blind comparison orders the shorter first.
TEST(Text, splitsAtTheFirstSeparatorAndComparesWithoutCase) {
  EXPECT_EQ(Before("h:80:1", ":") + "|" + After("h:80:1", ":") + "|" + After("h", ":"), "h|80:1|");
  EXPECT_FALSE(EqualsNoCase("ab", "abc"));
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
  EXPECT_TRUE(StartsWithNoCase("LANline", "lan"));
}

TEST(Paths, aBareNameGoesIntoTheFolderWithOneSeparator) {
  EXPECT_EQ(InFolder("/", "QuilletD.txt"), "/QuilletD.txt");
  EXPECT_EQ(InFolder("C:\\", "quillet.exe"), "C:\\quillet.exe");
  EXPECT_EQ(WithDefaultFolder("/opt/q", "/home/u/list.txt"), "/home/u/list.txt");
  EXPECT_EQ(WithDefaultFolder("/opt/q", "sub\\list.txt"), "sub\\list.txt");
  EXPECT_FALSE(FileExists("") || FileExists("/"));  // a folder is not a list file
}

TEST(PageDigest, knownDigestsAndEveryWayAProxyChangesThePage) {
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),  // two blocks
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  std::string page = WithPageDigest("REMOTE_ADDR = 127.0.0.1\nHTTP_VIA = \n");
  EXPECT_TRUE(CheckPageDigest(page + "\r\n") == PageDigest::Intact &&  // a line end is no change
              CheckPageDigest("REMOTE_ADDR = 1") == PageDigest::None);
  std::string in_front = "<script>ad()</script>\n" + page, behind = page + "<img src=ad>";
  std::string changed = page;
  changed[14] = '9';
  for (const std::string& tampered : {in_front, behind, changed, std::string("PAGE_SHA256 = 0\n")})
    EXPECT_EQ(CheckPageDigest(tampered), PageDigest::Changed) << tampered;
}

TEST(Version, minorAndRevisionAreZeroPadded) {
  EXPECT_EQ(FormatVersion(1, 2, 3) + " " + FormatVersion(0, 12, 345), "1.02.003 0.12.345");
}

}  // namespace
}  // namespace quillet
