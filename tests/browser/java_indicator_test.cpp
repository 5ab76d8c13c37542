#include "browser/java_indicator.h"

#include <gtest/gtest.h>

#include "app/main_window_texts.h"
#include "browser/memory_registry.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

TEST(JavaIsOn, onlyBytesOtherThanZeroOrBlankTurnItOn) {
  testing::FakeUserInterface ui;
  MemoryRegistry empty;
  EXPECT_FALSE(JavaIsOn(empty, ui));  // no key at all
  for (const auto& [data, on] : {std::pair<std::string, bool>{std::string("\0\0\0\0", 4), false},
                                 {std::string(" \0 \0", 4), false},
                                 {std::string("\0\0\x01\0", 4), true}}) {
    MemoryRegistry registry;
    registry.Add({kHkeyCurrentUser, kInternetZoneKey, {{kJavaValue, 3, data}}});
    EXPECT_EQ(JavaIsOn(registry, ui), on);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(MainWindowTexts, captionSaysWhenThereIsOnlyLoopback) {
  EXPECT_EQ(BaseCaption("127.0.0.1"), "Quillet            no network, only loopback: 127.0.0.1");
}

}  // namespace
}  // namespace quillet
