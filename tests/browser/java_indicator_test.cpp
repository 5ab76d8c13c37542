#include "browser/java_indicator.h"

#include <gtest/gtest.h>

#include "app/main_window_texts.h"
#include "browser/memory_registry.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

class JavaIndicatorTest : public ::testing::Test {
 protected:
  void Store(const std::string& data) {
    RegHandle key = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(registry_.CreateKey(kHkeyCurrentUser, kInternetZoneKey, 0x3F, key, disposition), 0);
    ASSERT_EQ(registry_.SetValue(key, kJavaValue, 3, data), 0);
    registry_.CloseKey(key);
  }
  MemoryRegistry registry_;
  testing::FakeUserInterface ui_;
};

TEST_F(JavaIndicatorTest, onlyBytesOtherThanZeroOrBlankTurnItOn) {
  EXPECT_FALSE(JavaIsOn(registry_, ui_));  // no key at all
  RegHandle probe = 0;
  EXPECT_NE(registry_.OpenKey(kHkeyCurrentUser, kInternetZoneKey, 0x1F, probe), 0)
      << "looking must not create the key";
  Store(std::string("\0\0\0\0", 4));
  EXPECT_FALSE(JavaIsOn(registry_, ui_));
  Store(std::string(" \0 \0", 4));
  EXPECT_FALSE(JavaIsOn(registry_, ui_));
  Store(std::string("\0\0\x01\0", 4));
  EXPECT_TRUE(JavaIsOn(registry_, ui_));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST(MainWindowTexts, captionVersionAndNotice) {
  EXPECT_EQ(BaseCaption("10.0.0.5"), "Quillet            your public IP: 10.0.0.5");
  EXPECT_EQ(VersionLabel(), "v.0.01 beta");
  EXPECT_EQ(NotIENotice().rfind("Quillet did not detect Internet Explorer 5.0 or newer", 0), 0u);
  EXPECT_NE(NotIENotice().find(".\r\nYou can still use Quillet to easily maintain lists of proxy "
                               "servers. To get the free IE browser from Microsoft go to "),
            std::string::npos);
}

}  // namespace
}  // namespace quillet
