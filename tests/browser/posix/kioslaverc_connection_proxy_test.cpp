#include "platform/posix/kioslaverc_connection_proxy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "desktop_sandbox.h"

namespace quillet {
namespace {

using testing::DesktopSandbox;
using testing::ReadTextFile;
using testing::WriteTextFile;

const std::string kOthers =
    "[$Version]\nupdate_info=kioslave.upd:change-proxy-key\n\n"
    "[Proxy Settings]\nAuthMode=0\nProxyType=4\nReversedException=true\n\n"
    "[Other]\nodd=a\\sb;c\nlist[de]=x\n";

std::string KioslavercPath() {
  return DesktopSandbox::Root() + "/kde/kioslaverc";
}

TEST(KioslavercConnectionProxy, WritesKdeFormsKeepsTheRestAndReadsBack) {
  WriteTextFile(KioslavercPath(), kOthers);
  KioslavercConnectionProxy component(KioslavercPath());
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = {"h:3128", "", "f", ""};
  fields.bypass = "a.example;10.*";
  fields.bypass_local = true;
  WriteProxySettings(component, fields);
  std::string text = ReadTextFile(KioslavercPath());
  EXPECT_EQ(text.substr(0, text.find("[Proxy Settings]")), kOthers.substr(0, kOthers.find("[P")));
  EXPECT_NE(text.find("\n[Other]\nodd=a\\sb;c\nlist[de]=x\n"), std::string::npos) << text;
  for (const char* line : {"\nAuthMode=0\n", "\nftpProxy=http://f 80\n", "\nsocksProxy=\n",
                           "\nReversedException=false\n",
                           "\nNoProxyFor=a.example,10.0.0.0/8,localhost,127.0.0.0/8,::1\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  }
  ProxyFields shown;
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.servers, (std::array<std::string, 4>{"h:3128", "", "f:80", ""}));
  EXPECT_EQ(shown.bypass + (shown.bypass_local ? "+local" : ""), "a.example;10.*;+local");

  // KDE's own dialog writes one server for all with "host port"; off is ProxyType 0.
  WriteTextFile(KioslavercPath(),
                "[Proxy Settings]\nProxyType=0\nhttpProxy=http://k 8080\n"
                "httpsProxy=http://k 8080\nftpProxy=k:8080\nNoProxyFor=a, b\n");
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.proxy, CheckState::Unchecked);
  EXPECT_EQ(shown.servers[0] + (shown.same ? " same " : " ") + shown.bypass, "k:8080 same a;b");

  fields.socks = "s:1081";  // the SOCKS server beside the HTTP one
  WriteProxySettings(component, fields);
  EXPECT_NE(ReadTextFile(KioslavercPath()).find("\nsocksProxy=socks://s 1081\n"),
            std::string::npos);
  ReadProxySettings(component, shown);
  EXPECT_EQ(shown.servers[0] + " " + shown.socks, "h:3128 s:1081");
}

TEST(KioslavercConnectionProxy, DamagedFileIsMovedAsideAndSaidAtStart) {
  std::filesystem::remove_all(DesktopSandbox::Root() + "/kde");
  WriteTextFile(KioslavercPath(), "[Proxy Settings\nProxyType=1\n\xff garbage\n");
  KioslavercConnectionProxy component(KioslavercPath());
  EXPECT_NE(component.OpenProblem().find("could not be read"), std::string::npos);
  EXPECT_NE(component.OpenProblem().find(".unreadable-"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(KioslavercPath()));
}

}  // namespace
}  // namespace quillet
