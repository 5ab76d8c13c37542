// Documents and programs started through GIO, and the launcher entry of the toolbar button.
#include "platform/posix/gio_shell.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/text.h"
#include "desktop_sandbox.h"
#include "platform/posix/desktop_toolbar_shortcut.h"

namespace quillet {
namespace {

using testing::DesktopSandbox;
using testing::ReadTextFile;
using testing::WriteTextFile;

// A viewer for text files and web addresses that writes down the arguments it was given.
class GioShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = DesktopSandbox::Root();
    std::filesystem::remove(root + "/args");  // from an earlier test in the same run
    std::string handler = root + "/viewer.sh";
    WriteTextFile(handler, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + root + "/args.part'\nmv '" +
                               root + "/args.part' '" + root + "/args'\n");
    chmod(handler.c_str(), 0755);
    WriteTextFile(DesktopSandbox::DataHome() + "/applications/quillet-test-viewer.desktop",
                  "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + handler +
                      " %u\nMimeType=text/plain;x-scheme-handler/http;\n");
    WriteTextFile(DesktopSandbox::ConfigHome() + "/mimeapps.list",
                  "[Default Applications]\ntext/plain=quillet-test-viewer.desktop\n"
                  "x-scheme-handler/http=quillet-test-viewer.desktop\n");
  }
  // The arguments the viewer received, or empty text when it did not run within five seconds.
  std::string ViewerArguments() {
    for (int i = 0; i < 100 && !std::filesystem::exists(root + "/args"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ReadTextFile(root + "/args");
  }
  std::string root;
  GioShell shell;
};

TEST_F(GioShellTest, OpensAStrangelyNamedFileAndRunsNothingElse) {
  std::string folder = root + "/a \"quoted\" folder; $(touch " + root + "/ran)";
  std::string path = folder + "/list `touch " + root + "/ran2`.txt";
  WriteTextFile(path, "127.0.0.1:8080\n");
  EXPECT_GT(shell.Open("", path, 1, false), 31);
  EXPECT_EQ(ViewerArguments(), path + "\n");
  EXPECT_FALSE(std::filesystem::exists(root + "/ran") || std::filesystem::exists(root + "/ran2"));
}

TEST_F(GioShellTest, BrowserGetsTheAddressAsOneArgumentAndFailuresMapOntoCodes) {
  EXPECT_EQ(shell.Open("", root + "/no such list.txt", 1, false), 2);
  EXPECT_EQ(shell.Open("quillet-no-such-program", "x", 1, false), 2);
  EXPECT_GT(shell.Open("IEXPLORE.EXE", "http://127.0.0.1:9/x?a=1;b=$(id)", 1, false), 31);
  EXPECT_EQ(ViewerArguments(), "http://127.0.0.1:9/x?a=1;b=$(id)\n");
}

TEST(DesktopToolbarShortcut, EntryStartsTheProgramEvenFromAnOddFolder) {
  std::string folder = DesktopSandbox::Root() + "/my \"tools\" $HOME 100%";
  DesktopToolbarShortcut shortcut;
  const std::string id = "{0000001A-000B-C0DE-AB01-0203040506FF}";
  shortcut.Install(id, folder);
  std::string path = shortcut.EntryPath(id);
  EXPECT_EQ(std::filesystem::path(path).parent_path(),
            DesktopSandbox::DataHome() + "/applications");
  // Read the way the desktop reads it: key file, then field codes, then shell-like quoting.
  g_autoptr(GKeyFile) entry = g_key_file_new();
  ASSERT_TRUE(g_key_file_load_from_file(entry, path.c_str(), G_KEY_FILE_NONE, nullptr));
  g_autofree gchar* name = g_key_file_get_string(entry, "Desktop Entry", "Name", nullptr);
  g_autofree gchar* exec = g_key_file_get_string(entry, "Desktop Entry", "Exec", nullptr);
  EXPECT_STREQ(name, "Set Proxy");
  std::string command = ReplaceAll(exec ? exec : "", "%%", "%");
  g_auto(GStrv) argv = nullptr;
  ASSERT_TRUE(g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr)) << command;
  EXPECT_EQ(std::string(argv[0]), folder + "/quillet");
  EXPECT_EQ(argv[1], nullptr);
  shortcut.Remove(id);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace quillet
