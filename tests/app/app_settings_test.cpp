#include "app/app_settings.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quillet
