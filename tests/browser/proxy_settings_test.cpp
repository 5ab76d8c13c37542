#include <gtest/gtest.h>

#include <tuple>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "fakes/fake_browser_pickup.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_connection_proxy.h"

namespace quillet {
namespace {

using testing::FakeUserInterface;
using testing::MemoryConnectionProxy;
using Servers = std::array<std::string, 4>;

ProxyFields Read(MemoryConnectionProxy& component, const std::string& connection = kLanConnection) {
  ProxyFields fields;
  fields.connection = connection;
  fields.servers = {"stale", "stale", "stale", "stale"};
  ReadProxySettings(component, fields);
  return fields;
}

ProxyFields Fields(Servers servers, bool same = false) {
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = std::move(servers);
  fields.same = same;
  return fields;
}

// A proxy text read into the fields (the four servers, "same", the SOCKS server), and what the
// fields then build again.
TEST(ProxyString, ReadIntoTheFieldsAndBuiltBack) {
  const std::string x(255, 'x');
  const std::pair<std::string, std::string> cases[] = {
      {"h:1", "h:1|||| same  -> h:1"},
      {"http=a:1;https=b:2;ftp=e:3;gopher=d:4;",
       "a:1|b:2|e:3|d:4|  -> http=a:1;https=b:2;ftp=e:3;gopher=d:4;"},
      {"http=;https=s:3;", "|s:3|||  -> http=;https=s:3;"},
      {"http=a:1;;ftp=e:3", "a:1||||  -> a:1"},
      {"socks=s:1;HTTP=a:1;FTP=f:2;HTTPS=s:3;http=b:2",
       "b:2|s:3|f:2|| s:1 -> http=b:2;https=s:3;ftp=f:2;socks=s:1;"},
      {"SOCKS=k:1080;socksy=x;", "|||| k:1080 -> socks=k:1080;"},
      {"http=" + std::string(300, 'x'), x + "||||  -> " + x}};
  for (const auto& [proxy, shown] : cases) {
    MemoryConnectionProxy component;
    component.Put("", proxy, 2);
    ProxyFields f = Read(component);
    EXPECT_EQ(f.servers[0] + "|" + f.servers[1] + "|" + f.servers[2] + "|" + f.servers[3] + "|" +
                  (f.same ? " same " : " ") + f.socks + " -> " + BuildProxyString(f),
              shown);
  }
  ProxyFields same = Fields({"h:1", "s:2", "f:3", "g:4"}, true);
  EXPECT_EQ(BuildProxyString(same), "h:1");
  same.socks = "k:2";  // "all 4" with a SOCKS server beside them
  EXPECT_EQ(BuildProxyString(same), "http=h:1;https=h:1;ftp=h:1;gopher=h:1;socks=k:2;");
}

TEST(ReadProxySettings, FlagsBypassColoursConnectionsAndFailure) {
  MemoryConnectionProxy component;
  component.Put("", "http=a:1;https=b:2;", 1, "a.example;<LOCAL>");
  ProxyFields fields = Read(component);
  EXPECT_EQ(fields.proxy, CheckState::Unchecked);  // direct, yet the servers show
  EXPECT_EQ(fields.servers[1], "b:2");
  EXPECT_EQ(fields.bypass + (fields.bypass_local ? "+local" : ""), "a.example;+local");

  component.fail_after_reads = component.reads;  // a failure is reported, fields stay emptied
  MemoryProxyFields view;
  view.fields.servers = {"old", "old", "old", "old"};
  FakeUserInterface ui;
  ReadCurrentSettings(view, component, ui);
  EXPECT_NE(ui.last_message().find("F22"), std::string::npos);
  EXPECT_EQ(view.fields.servers, Servers{});
}

TEST(WriteProxySettings, ProxyStringFlagsAndBypass) {
  MemoryConnectionProxy component;
  ProxyFields fields = Fields({"h:1", "", "", ""});
  fields.bypass = " a.example; ";
  fields.bypass_local = true;
  fields.connection = "Lanline";
  WriteProxySettings(component, fields);
  ASSERT_EQ(component.writes.size(), 2u);
  EXPECT_EQ(component.writes[0].connection, "");
  EXPECT_EQ(component.writes[0].value + "|" + component.writes[1].value, "h:1|a.example;<local>");
  EXPECT_EQ(component.writes[0].flags * 10 + component.writes[1].flags, 23);
  // Proxy off, or no server at all: direct, and the stored bypass list stays.
  ProxyFields off = Fields({"h:1", "", "", ""});
  off.proxy = CheckState::Unchecked;
  for (ProxyFields direct : {off, Fields({"", "", "", ""})}) {
    MemoryConnectionProxy written;
    direct.bypass_local = true;
    WriteProxySettings(written, direct);
    ASSERT_EQ(written.writes.size(), 1u);
    EXPECT_EQ(written.writes[0].flags, 1);
  }
  EXPECT_EQ(ProxyFlags(CheckState::Grey, "h:1"), 2);
}

TEST(ApplyProxySettings, ModesStartAndCloseTheBrowserTellWhetherToExitNoticeOnceAndRefusalsReport) {
  MemoryConnectionProxy component;
  component.notice = {"Chromium follows; others do not.", "chromium --proxy-server=\"h:1\"", false};
  FakeUserInterface ui;
  // mode, the browser's address, outcome, then what was started and how often it was closed
  for (auto [mode, address, outcome, started] :
       std::vector<std::tuple<int, std::string, ApplyOutcome, std::string>>{
           {0, "about:quillet", ApplyOutcome::Stay, "IEXPLORE.EXE about:quillet 2|1"},
           {1, "about:quillet", ApplyOutcome::Exit, "IEXPLORE.EXE about:quillet 2|1"},
           {2, "about:quillet", ApplyOutcome::Exit, "IEXPLORE.EXE about:quillet 1|0"},
           {0, "", ApplyOutcome::Stay, "0"}}) {
    MemoryProxyFields view;
    view.fields = Fields({"h:1", "", "", ""});
    testing::IndicatorPickup browser;
    browser.address = address;
    testing::RecordingShell shell;
    EXPECT_EQ(ApplyProxySettings(view, {component, browser, shell, ui}, mode, "t/p"), outcome);
    std::string seen;
    for (const std::string& line : shell.opened) seen += line + "|";
    EXPECT_EQ(seen + std::to_string(browser.closed), started);
  }
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text + "|" + ui.clipboard,
            "Chromium follows; others do not.|chromium --proxy-server=\"h:1\"");
  // Settings the desktop refuses: reported, nothing written, no browser started.
  component.refusal = "The proxy server text is not valid UTF-8 text";
  MemoryProxyFields view;
  testing::IndicatorPickup browser;
  testing::RecordingShell shell;
  EXPECT_EQ(ApplyProxySettings(view, {component, browser, shell, ui}, 1, ""), ApplyOutcome::Failed);
  EXPECT_TRUE(shell.opened.empty() && component.writes.size() == 4u);
  // A typing mistake gets a message of its own, not the report of an unexpected failure.
  EXPECT_EQ(ui.messages.back().text + "|" + std::to_string(int(ui.messages.back().icon)),
            component.refusal + "|" + std::to_string(int(MessageIcon::Exclamation)));
}

}  // namespace
}  // namespace quillet
