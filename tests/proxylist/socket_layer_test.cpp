#include <gtest/gtest.h>

#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "verify/socket_layer.h"

namespace quillet {
namespace {

using testing::FakeResolver;
using testing::FakeUserInterface;

TEST(ParseAddress, readsAddressesLikeThePlatformParser) {
  EXPECT_EQ(DottedAddress(*ParseAddress("10.0.0.1")), "10.0.0.1");
  EXPECT_EQ(DottedAddress(*ParseAddress("127.1")), "127.0.0.1");
  EXPECT_EQ(DottedAddress(*ParseAddress("0x7f.0.0.010")), "127.0.0.8");
  EXPECT_EQ(DottedAddress(*ParseAddress("192.168.300")), "192.168.1.44");
  for (const char* bad : {"255.255.255.255", "", "host", "1.2.3.4.5", "1.2.3.256", "1..2.3",
                          "1.2.3.4 ", "0x", "09.1.1.1"}) {
    EXPECT_FALSE(ParseAddress(bad).has_value()) << bad;
  }
}

TEST(StartSockets, reportsUnusableLibraries) {
  FakeResolver resolver;
  FakeUserInterface ui;
  EXPECT_TRUE(StartSockets(resolver, ui));
  EXPECT_TRUE(ui.messages.empty());
  resolver.startup = {0, 1, 0, 10};
  EXPECT_FALSE(StartSockets(resolver, ui));
  EXPECT_EQ(ui.last_message(), "Windows Sockets version 1.0 is not supported by winsock.dll ");
  resolver.startup = {0, 2, 2, 0};
  EXPECT_FALSE(StartSockets(resolver, ui));
  EXPECT_EQ(ui.last_message(), "This application requires a minimum of 1 supported sockets.");
  resolver.startup = {10091, 1, 1, 10};
  EXPECT_FALSE(StartSockets(resolver, ui));
  EXPECT_EQ(ui.last_message(), "Winsock.dll is not responding.");
  resolver.cleanup_result = -1;
  StopSockets(resolver, ui);
  EXPECT_EQ(ui.last_message(), "Socket error -1 occurred in Cleanup ");
}

TEST(LocalAddress, takesTheLastAddressOrShowsWhyNot) {
  FakeResolver resolver;
  FakeUserInterface ui;
  resolver.addresses["quillet-test"] = {"127.0.1.11", "127.0.1.12"};
  EXPECT_EQ(LocalAddress(resolver, ui), "127.0.1.12");
  EXPECT_EQ(resolver.cleanups, 1);
  EXPECT_TRUE(ui.messages.empty());
  resolver.host_name = "unknown-host";
  EXPECT_EQ(LocalAddress(resolver, ui), "");
  EXPECT_EQ(ui.last_message(), "Winsock.dll is not responding.");
  resolver.host_name.reset();
  resolver.host_name_error = 10093;
  EXPECT_EQ(LocalAddress(resolver, ui), "");
  EXPECT_EQ(ui.last_message(), "Windows Sockets error  10093");
  EXPECT_EQ(resolver.cleanups, 1) << "neither failure releases the library";
  EXPECT_EQ(NameToAddress(resolver, "quillet-test"), "127.0.1.11") << "the first, silently";
  EXPECT_EQ(NameToAddress(resolver, "nowhere.test"), "");
}

TEST(AddressToName, reverseNameAndItsFailures) {
  FakeResolver resolver;
  FakeUserInterface ui;
  resolver.names["127.0.1.11"] = "farm-one";
  EXPECT_EQ(AddressToName(resolver, ui, "127.0.1.11"), "farm-one");
  EXPECT_EQ(AddressToName(resolver, ui, "127.0.1.99"), "");
  EXPECT_TRUE(ui.messages.empty()) << "no reverse entry is silent";
  EXPECT_EQ(AddressToName(resolver, ui, "255.255.255.255"), "");
  EXPECT_EQ(ui.last_message(), "String passed is an invalid IP.");
  EXPECT_EQ(AddressToName(resolver, ui, "a.b.c.d"), "");
  EXPECT_EQ(ui.messages.size(), 2u);
  resolver.startup.result = 1;
  EXPECT_EQ(AddressToName(resolver, ui, "127.0.1.11"), "");
  EXPECT_EQ(ui.last_message(), "Sockets failed to initialize.");
}

}  // namespace
}  // namespace quillet
