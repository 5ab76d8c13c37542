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
  EXPECT_EQ(BaseCaption("127.0.0.1"), "Quillet            no network, only loopback: 127.0.0.1");
}

}  // namespace
}  // namespace quillet
