#include "core/encoding.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Encoding, everyWindows1252ByteComesBackAndOnlyUtf8IsTakenAsUtf8) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  std::string text = DecodeWindows1252(all), back;
  EXPECT_TRUE(IsValidUtf8(text));
  ASSERT_TRUE(EncodeWindows1252(text, back));
  EXPECT_EQ(back, all);
  EXPECT_EQ(DecodeWindows1252("\xe9\x80\x81"), "\xc3\xa9\xe2\x82\xac\xc2\x81");
  EXPECT_FALSE(EncodeWindows1252("\xd0\xb6", back)) << "Cyrillic has no byte there";
  for (const char* bad : {"\xe9", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  EXPECT_TRUE(IsValidUtf8("a\xc3\xa9\xf0\x9f\x98\x80"));
}

TEST(Encoding, cutsAtCharactersAndEscapesWhatATerminalWouldObey) {
  std::string text = std::string(99, 'a') + "\xc3\xa9" + "b";
  EXPECT_EQ(LeftCharacters(text, 100), std::string(99, 'a') + "\xc3\xa9");
  EXPECT_EQ(LeftCharacters("\xe2\x82\xac\xe2\x82\xac", 1), "\xe2\x82\xac");
  EXPECT_EQ(EscapeControls("a\x1b]0;t\x07\tb\x7f\n"), "a\\x1b]0;t\\x07\\x09b\\x7f\\x0a");
  EXPECT_EQ(EscapeControls("x\n", true), "x\n");
  EXPECT_EQ(EscapeControls("\xc2\x9b" "31m \xff \xc3\xa9"), "\\u009b31m \\xff \xc3\xa9");
}

}  // namespace
}  // namespace quillet
