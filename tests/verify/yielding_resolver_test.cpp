#include "verify/yielding_resolver.h"

#include <gtest/gtest.h>

#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

TEST(YieldingResolver, theWindowHandlesItsEventsWhileALookUpIsSlow) {
  testing::FakeResolver slow;
  slow.delay = std::chrono::milliseconds(300);
  slow.addresses["proxy.example"] = {"127.0.1.11"};
  testing::FakeUserInterface ui;
  YieldingResolver resolver(slow, ui);
  EXPECT_EQ(resolver.HostAddresses("proxy.example"), std::vector<std::string>{"127.0.1.11"});
  EXPECT_GE(ui.pending_event_calls, 5) << "the window froze for the whole look-up";
}

}  // namespace
}  // namespace quillet
