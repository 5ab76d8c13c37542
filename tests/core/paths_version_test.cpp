#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/version.h"

namespace quillet {
namespace {

TEST(Paths, aBareNameGoesIntoTheFolderWithOneSeparator) {
  EXPECT_EQ(InFolder("/", "QuilletD.txt"), "/QuilletD.txt");
  EXPECT_EQ(InFolder("C:\\", "quillet.exe"), "C:\\quillet.exe");
  EXPECT_EQ(WithDefaultFolder("/opt/q", "/home/u/list.txt"), "/home/u/list.txt");
  EXPECT_EQ(WithDefaultFolder("/opt/q", "sub\\list.txt"), "sub\\list.txt");
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists("/"));  // a folder is not a list file
}

TEST(Version, minorAndRevisionAreZeroPadded) {
  EXPECT_EQ(FormatVersion(1, 2, 3), "1.02.003");
  EXPECT_EQ(FormatVersion(0, 12, 345), "0.12.345");
}

}  // namespace
}  // namespace quillet
