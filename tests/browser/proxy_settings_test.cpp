#include <gtest/gtest.h>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_connection_proxy.h"

namespace quillet {
namespace {

using testing::FakeUserInterface;
using testing::MemoryConnectionProxy;

ProxyFields Read(MemoryConnectionProxy& component, const std::string& connection = kLanConnection) {
  ProxyFields fields;
  fields.connection = connection;
  fields.servers = {"stale", "stale", "stale", "stale"};
  ReadProxySettings(component, fields);
  return fields;
}

TEST(ReadProxySettings, BareFormFillsHttpAndAll4) {
  MemoryConnectionProxy component;
  component.Put("", "h:1", 2);
  ProxyFields fields = Read(component);
  EXPECT_EQ(fields.proxy, CheckState::Checked);
  EXPECT_TRUE(fields.same);
  EXPECT_EQ(fields.servers, (std::array<std::string, 4>{"h:1", "", "", ""}));
  EXPECT_EQ(ProxyFieldColours(fields),
            (std::array<uint32_t, 4>{kActiveFieldColour, kInactiveFieldColour, kInactiveFieldColour,
                                     kInactiveFieldColour}));
}

TEST(ReadProxySettings, PerProtocolEntries) {
  struct Case {
    std::string proxy;
    std::array<std::string, 4> servers;
  };
  for (const Case& c : std::vector<Case>{
           {"http=a:1;https=b:2;ftp=e:3;gopher=d:4;", {"a:1", "b:2", "e:3", "d:4"}},
           {"http=a:1;;ftp=e:3", {"a:1", "", "", ""}},
           {"socks=s:1080;http=a:1", {"a:1", "", "", ""}},
           {"HTTP=a:1;FTP=f:2;HTTPS=s:3", {"a:1", "s:3", "f:2", ""}},
           {"http=a:1;http=b:2", {"b:2", "", "", ""}},
           {"http=" + std::string(300, 'x'), {std::string(255, 'x'), "", "", ""}},
       }) {
    MemoryConnectionProxy component;
    component.Put("", c.proxy, 2);
    ProxyFields fields = Read(component);
    EXPECT_EQ(fields.servers, c.servers) << c.proxy;
    EXPECT_FALSE(fields.same) << c.proxy;
  }
}

TEST(ReadProxySettings, DirectConnectionStillShowsStoredServers) {
  MemoryConnectionProxy component;
  component.Put("", "http=a:1;https=b:2;", 1);
  ProxyFields fields = Read(component);
  EXPECT_EQ(fields.proxy, CheckState::Unchecked);
  EXPECT_EQ(fields.servers[1], "b:2");
  EXPECT_EQ(ProxyFieldColours(fields),
            (std::array<uint32_t, 4>{kInactiveFieldColour, kInactiveFieldColour,
                                     kInactiveFieldColour, kInactiveFieldColour}));
  fields.proxy = CheckState::Grey;
  EXPECT_EQ(ProxyFieldColours(fields)[0], kInactiveFieldColour);
  EXPECT_EQ(ProxyFieldColours(fields)[1], kActiveFieldColour);
}

TEST(ReadProxySettings, BypassListAndLocal) {
  MemoryConnectionProxy component;
  component.Put("", "h:1", 2, "a.example;<LOCAL>");
  ProxyFields fields = Read(component);
  EXPECT_TRUE(fields.bypass_local);
  EXPECT_EQ(fields.bypass, "a.example;");
  component.Put("", "h:1", 2, "a.example;b");
  fields = Read(component);
  EXPECT_FALSE(fields.bypass_local);
  EXPECT_EQ(fields.bypass, "a.example;b");
}

TEST(ReadProxySettings, ConnectionNamesLanAndDialUp) {
  MemoryConnectionProxy component;
  component.Put("", "lan:1", 2);
  component.Put("Dial", "dial:2", 2);
  component.Put("Lanline", "line:3", 2);
  EXPECT_EQ(Read(component, "LAN (default)").servers[0], "lan:1");
  EXPECT_EQ(Read(component, "Dial").servers[0], "dial:2");
  EXPECT_EQ(Read(component, "Lanline").servers[0], "lan:1");
  ProxyFields fresh = Read(component, "Never configured");
  EXPECT_EQ(fresh.proxy, CheckState::Unchecked);
  EXPECT_EQ(fresh.servers[0], "");
}

TEST(ReadCurrentSettings, FailureIsReportedAndKeepsEmptiedFields) {
  MemoryConnectionProxy component;
  component.Put("", "h:1", 2);
  component.fail_after_reads = 0;
  MemoryProxyFields view;
  view.fields.servers = {"old", "old", "old", "old"};
  FakeUserInterface ui;
  ReadCurrentSettings(view, component, ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("F22"), std::string::npos);
  EXPECT_EQ(view.fields.servers, (std::array<std::string, 4>{}));
}

ProxyFields Fields(std::array<std::string, 4> servers, bool same = false) {
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = std::move(servers);
  fields.same = same;
  return fields;
}

TEST(BuildProxyString, Forms) {
  EXPECT_EQ(BuildProxyString(Fields({"h:1", "", "", ""})), "h:1");
  EXPECT_EQ(BuildProxyString(Fields({"h:1", "", "f:2", ""})), "http=h:1;ftp=f:2;");
  EXPECT_EQ(BuildProxyString(Fields({"", "s:3", "", ""})), "http=;https=s:3;");
  EXPECT_EQ(BuildProxyString(Fields({"a", "b", "c", "d"})), "http=a;https=b;ftp=c;gopher=d;");
  EXPECT_EQ(BuildProxyString(Fields({"", "", "", ""})), "");
  EXPECT_EQ(BuildProxyString(Fields({"h:1", "s:2", "f:3", "g:4"}, true)), "h:1");
}

TEST(BuildBypassList, TrimsAndWritesTheBoxBack) {
  ProxyFields fields;
  fields.bypass = "  a;b;  ";
  fields.bypass_local = true;
  EXPECT_EQ(BuildBypassList(fields), "a;b;<local>");
  EXPECT_EQ(fields.bypass, "a;b");
  fields.bypass_local = false;
  fields.bypass = "a.example";
  EXPECT_EQ(BuildBypassList(fields), "a.example;");
  fields.bypass = " ";
  EXPECT_EQ(BuildBypassList(fields), "");
  fields.bypass_local = true;
  EXPECT_EQ(BuildBypassList(fields), "<local>");
}

TEST(WriteProxySettings, ServerFlagsAndBypass) {
  MemoryConnectionProxy component;
  ProxyFields fields = Fields({"h:1", "", "f:2", ""});
  fields.bypass = " a.example; ";
  fields.bypass_local = true;
  fields.connection = "Lanline";
  WriteProxySettings(component, fields);
  ASSERT_EQ(component.writes.size(), 2u);
  EXPECT_EQ(component.writes[0].connection, "");
  EXPECT_EQ(component.writes[0].value, "http=h:1;ftp=f:2;");
  EXPECT_EQ(component.writes[0].flags, 2);
  EXPECT_EQ(component.writes[1].option, kProxyOptionBypass);
  EXPECT_EQ(component.writes[1].value, "a.example;<local>");
  EXPECT_EQ(component.writes[1].flags, 3);
  EXPECT_EQ(fields.bypass, "a.example");

  // Proxy off, or no server at all: direct, and the stored bypass list stays.
  for (ProxyFields off : {Fields({"h:1", "", "", ""}), Fields({"", "", "", ""})}) {
    MemoryConnectionProxy direct;
    if (off.servers[0].empty())
      off.proxy = CheckState::Checked;
    else
      off.proxy = CheckState::Unchecked;
    off.bypass_local = true;
    off.connection = "Dial";
    WriteProxySettings(direct, off);
    ASSERT_EQ(direct.writes.size(), 1u);
    EXPECT_EQ(direct.writes[0].connection, "Dial");
    EXPECT_EQ(direct.writes[0].flags, 1);
  }
  EXPECT_EQ(ProxyFlags(CheckState::Grey, "h:1"), 2);
}

// The indicator-window pickup: every mode starts the browser at the indicator page.
struct IndicatorPickup : BrowserPickup {
  std::vector<std::string> closed;
  std::string StartAddress(int, const std::string&) const override { return "about:quillet"; }
  void CloseStartedBrowser(const std::string& address, UserInterface&) override {
    closed.push_back(address);
  }
};

struct RecordingShell : Shell {
  std::vector<std::string> opened;
  int Open(const std::string& file, const std::string& parameters, int show, bool) override {
    opened.push_back(file + " " + parameters + " " + std::to_string(show));
    return 33;
  }
};

TEST(ApplyProxySettings, ModesStartAndCloseTheBrowserAndTellWhetherToExit) {
  struct Case {
    int mode;
    ApplyOutcome outcome;
    std::string opened;
    size_t closed;
  };
  for (const Case& c :
       std::vector<Case>{{0, ApplyOutcome::Stay, "IEXPLORE.EXE about:quillet 2", 1},
                         {1, ApplyOutcome::Exit, "IEXPLORE.EXE about:quillet 2", 1},
                         {2, ApplyOutcome::Exit, "IEXPLORE.EXE about:quillet 1", 0}}) {
    MemoryConnectionProxy component;
    MemoryProxyFields view;
    view.fields = Fields({"h:1", "", "", ""});
    view.fields.bypass = " x; ";
    IndicatorPickup browser;
    RecordingShell shell;
    FakeUserInterface ui;
    EXPECT_EQ(ApplyProxySettings(view, {component, browser, shell, ui}, c.mode, "t/p"), c.outcome);
    EXPECT_EQ(shell.opened, std::vector<std::string>{c.opened});
    EXPECT_EQ(browser.closed.size(), c.closed);
    EXPECT_EQ(view.fields.bypass, "x");
    EXPECT_EQ(component.writes.size(), 2u);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(ApplyProxySettings, NoStartAddressStartsNoBrowser) {
  struct Desktop : IndicatorPickup {
    std::string StartAddress(int, const std::string&) const override { return ""; }
  } browser;
  MemoryConnectionProxy component;
  MemoryProxyFields view;
  RecordingShell shell;
  FakeUserInterface ui;
  EXPECT_EQ(ApplyProxySettings(view, {component, browser, shell, ui}, 0, ""), ApplyOutcome::Stay);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(browser.closed.empty());
}

TEST(ApplyProxySettings, FailureIsReportedAndStartsNothing) {
  struct Failing : MemoryConnectionProxy {
    void SetConnectionOption(int32_t, const std::string&, const std::string&, int32_t) override {
      throw RunTimeError(429, "ActiveX component can't create object");
    }
  } failing;
  MemoryProxyFields view;
  view.fields = Fields({"h:1", "", "", ""});
  IndicatorPickup browser;
  RecordingShell shell;
  FakeUserInterface ui;
  EXPECT_EQ(ApplyProxySettings(view, {failing, browser, shell, ui}, 1, ""), ApplyOutcome::Failed);
  EXPECT_TRUE(shell.opened.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("F8"), std::string::npos);
}

}  // namespace
}  // namespace quillet
