#include "app/app_settings.h"

#include <gtest/gtest.h>

#include "app/error_report.h"
#include "core/errors.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_settings_store.h"

namespace quillet {
namespace {

TEST(AppSettings, missingKeysFallBackAndNumbersComeFromTheLeadingNumber) {
  testing::MemorySettingsStore store;
  AppSettings settings;
  LoadNumbersAndTexts(store, settings);
  EXPECT_EQ(settings.TestTimeoutMs, 20000);
  EXPECT_EQ(settings.SearchText, "HTTP_CLIENT_IP");  // not the first-run REMOTE_ADDR
  EXPECT_EQ(TestTimeoutFromText("20"), 20000);
  EXPECT_EQ(TestTimeoutFromText("2.5"), 2500);
  EXPECT_EQ(TestTimeoutFromText("abc"), 0);
  EXPECT_EQ(PingTimeoutFromText("99.6ms"), 100);
  EXPECT_EQ(PingTimeoutFromText("1e20"), 2147483647);  // clamped, never wraps negative
  EXPECT_EQ(ApplyButtonFromText("2"), 2);
  EXPECT_EQ(ApplyButtonFromText("x"), 0);
}

TEST(ErrorReport, showsTagNumberAndDescriptionAndRestoresThePointer) {
  testing::FakeUserInterface ui;
  ui.SetPointer(PointerShape::Busy);
  bool finished = RunGuarded(ui, tags::kLoadList, [] { throw RunTimeError(62, "Input past end"); });
  EXPECT_FALSE(finished);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Function: F18\r\nError: 62\r\nInput past end");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui.messages[0].title, "Quillet");
  EXPECT_EQ(ui.pointer(), PointerShape::Default);
  EXPECT_TRUE(RunGuarded(ui, tags::kLoadList, [] {}));
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
}  // namespace quillet
