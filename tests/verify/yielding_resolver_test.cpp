#include "verify/yielding_resolver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"

namespace quillet {
namespace {

// A name service that takes 300 ms to answer.
struct SlowResolver : testing::FakeResolver {
  std::optional<std::vector<std::string>> HostAddresses(const std::string& name) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return FakeResolver::HostAddresses(name);
  }
};

TEST(YieldingResolver, theWindowHandlesItsEventsWhileALookUpIsSlow) {
  SlowResolver slow;
  slow.addresses["proxy.example"] = {"127.0.1.11"};
  testing::FakeUserInterface ui;
  YieldingResolver resolver(slow, ui);
  EXPECT_EQ(resolver.HostAddresses("proxy.example"), std::vector<std::string>{"127.0.1.11"});
  EXPECT_GE(ui.pending_event_calls, 5) << "the window froze for the whole look-up";
}

}  // namespace
}  // namespace quillet
