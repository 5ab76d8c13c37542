#pragma once
// A list window over a temporary folder, with a scripted user.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fakes/fake_user_interface.h"
#include "fakes/temp_dir.h"
#include "fakes/verify_fixture.h"
#include "proxylist/atomic_file.h"
#include "proxylist/list_window.h"

namespace quillet::testing {

class ListFixture : public ::testing::Test {
 protected:
  void SetUp() override { settings.ListFile = (folder / "list.txt").string(); }

  ListWindow Window() { return {list, settings, ui}; }

  void WriteList(const std::string& bytes) {
    std::ofstream(settings.ListFile, std::ios::binary) << bytes;
  }
  std::string ReadList() const { return ReadFileBytes(settings.ListFile); }
  size_t FilesInFolder() const {
    using std::filesystem::directory_iterator;
    return size_t(std::distance(directory_iterator(folder), directory_iterator()));
  }
  // Adds a data row from its nine fields, as loading would hold it.
  int Add(const std::string& ip, const std::string& name = "", const std::string& status = "",
          const std::string& secure = "", const std::string& ping = "",
          const std::string& col = "") {
    return list.AddRow(
        {"", ip.empty() ? "     " : "     " + ip, name, "", "", "", status, secure, ping, col});
  }
  // Selects rows first..last as a right-click would record them.
  void Select(int first, int last) { SelectForVerify(Window(), first, last); }

  TempDir temp;
  const std::filesystem::path& folder = temp.path();
  ProxyList list;
  AppSettings settings;
  FakeUserInterface ui;
};

}  // namespace quillet::testing
