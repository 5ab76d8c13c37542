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

ProxyFields Read(KioslavercConnectionProxy& component) {
  ProxyFields fields;
  ReadProxySettings(component, fields);
  return fields;
}

// The reason applying `fields` was refused, or "taken".
std::string Refusal(KioslavercConnectionProxy& component, ProxyFields fields) {
  try {
    WriteProxySettings(component, fields);
  } catch (const RunTimeError& refused) {
    return refused.what();
  }
  return "taken";
}

TEST(KioslavercConnectionProxy, WritesKdeFormsChangesOnlyItsLinesAndReadsBack) {
  WriteTextFile(KioslavercPath(), kOthers);
  KioslavercConnectionProxy component(KioslavercPath());
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = {"h:3128", "", "f", ""};
  fields.bypass = "a.example;10.*";
  fields.bypass_local = true;
  WriteProxySettings(component, fields);
  EXPECT_EQ(ReadTextFile(KioslavercPath()),
            "[$Version]\nupdate_info=kioslave.upd:change-proxy-key\n\n"
            "[Proxy Settings]\nAuthMode=0\nProxyType=1\nReversedException=false\n"
            "httpProxy=http://h 3128\nftpProxy=http://f 80\n"
            "NoProxyFor=a.example,10.0.0.0/8,localhost,127.0.0.0/8,::1\n\n"
            "[Other]\nodd=a\\sb;c\nlist[de]=x\n");
  ProxyFields shown = Read(component);
  EXPECT_EQ(shown.servers, (std::array<std::string, 4>{"h:3128", "", "f:80", ""}));
  EXPECT_EQ(shown.bypass + (shown.bypass_local ? "+local" : ""), "a.example;10.*;+local");

  // KDE's own dialog writes one server for all with "host port"; off is ProxyType 0. Lines
  // KDE skips (no "=", comments, CR LF endings) stay where they are.
  const std::string kde =
      "# mine\r\n[Proxy Settings]\r\nProxyType=0\r\nstray line\r\nhttpProxy=http://k 8080\r\n"
      "httpsProxy=http://k 8080\r\nftpProxy=k:8080\r\nNoProxyFor=a, b\r\n";
  WriteTextFile(KioslavercPath(), kde);
  shown = Read(component);
  EXPECT_EQ(shown.proxy, CheckState::Unchecked);
  EXPECT_EQ(shown.servers[0] + (shown.same ? " same " : " ") + shown.bypass, "k:8080 same a;b");
  fields.servers = {"k:8080", "", "", ""};
  fields.socks = "s:1081";  // the SOCKS server beside the HTTP one
  fields.same = true;
  fields.bypass = "a;b";
  fields.bypass_local = false;
  WriteProxySettings(component, fields);
  EXPECT_EQ(ReadTextFile(KioslavercPath()),
            "# mine\r\n[Proxy Settings]\r\nProxyType=1\r\nstray line\r\nhttpProxy=http://k 8080\r\n"
            "httpsProxy=http://k 8080\r\nftpProxy=k:8080\r\nNoProxyFor=a, b\r\n"
            "socksProxy=socks://s 1081\r\n");
  EXPECT_EQ(Read(component).servers[0] + " " + Read(component).socks, "k:8080 s:1081");
}

// What the window shows of a file KDE accepts, applied again unchanged, leaves every byte.
TEST(KioslavercConnectionProxy, NoOpApplyLeavesEveryFileKdeAcceptsByteForByte) {
  for (const std::string& text : std::vector<std::string>{
           kOthers,
           "[Proxy Settings]\nProxyType=1\nhttpProxy=http://portless\nhttpsProxy=http://h:81/\n"
           "ftpProxy=ftp://h 21/\nsocksProxy=socks://s\nNoProxyFor=foo.0.0.0/8,10.0.0.0/8,*.x\n",
           "[Proxy Settings][$i]\nProxyType=2\nstray\n# c\nhttpProxy = http://a 1 "
           "\nNoProxyFor=a*b\n",
           "[$i]\n[Proxy "
           "Settings]\nProxyType=1\nNoProxyFor=localhost,x,::1,127.0.0.0/8,010.0.0.0/8",
           "[Proxy Settings]\nProxyType=1\nhttpProxy=http://a 1\nhttpProxy[$i]=http://b 2\n"
           "httpsProxy=http://a 99999\nNoProxyFor=<LOCAL>,a;b",
       }) {
    WriteTextFile(KioslavercPath(), text);
    KioslavercConnectionProxy component(KioslavercPath());
    ProxyFields fields = Read(component);
    EXPECT_NO_THROW(WriteProxySettings(component, fields)) << text;
    EXPECT_EQ(ReadTextFile(KioslavercPath()), text);
  }
}

TEST(KioslavercConnectionProxy, LockedKeyOrGroupAndUnreadableFileAreReportedAndLeftAsTheyAre) {
  ProxyFields fields;
  fields.proxy = CheckState::Checked;
  fields.servers = {"n:1", "", "", ""};
  for (const char* text : {"[Proxy Settings][$i]\nProxyType=0\n",
                           "[Proxy Settings]\nProxyType=0\nhttpProxy[$i]=http://o 2\n"}) {
    WriteTextFile(KioslavercPath(), text);
    KioslavercConnectionProxy component(KioslavercPath());
    EXPECT_NE(Refusal(component, fields).find("is locked ([$i])"), std::string::npos) << text;
    EXPECT_EQ(ReadTextFile(KioslavercPath()), text);
  }
  std::filesystem::remove(KioslavercPath());
  std::filesystem::create_directory(KioslavercPath());  // a folder is no file KDE can read
  KioslavercConnectionProxy folder(KioslavercPath());
  EXPECT_THROW(Read(folder), RunTimeError);
  EXPECT_NE(Refusal(folder, fields).find("left it as it is"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(KioslavercPath()));
  std::filesystem::remove(KioslavercPath());
}

}  // namespace
}  // namespace quillet
