#pragma once
// A list window over a temporary folder, with a scripted user.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "fakes/fake_user_interface.h"
#include "proxylist/list_window.h"

namespace quillet::testing {

class ListFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("quillet-list-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    settings.ListFile = (folder / "list.txt").string();
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  ListWindow Window() { return {list, settings, ui}; }

  void WriteList(const std::string& bytes) {
    std::ofstream(settings.ListFile, std::ios::binary) << bytes;
  }
  std::string ReadList() const {
    std::ifstream in(settings.ListFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Adds a data row from its nine fields, as loading would hold it.
  int Add(const std::string& ip, const std::string& name = "", const std::string& status = "",
          const std::string& secure = "", const std::string& ping = "",
          const std::string& col = "") {
    return list.AddRow(
        {"", ip.empty() ? "     " : "     " + ip, name, "", "", "", status, secure, ping, col});
  }
  // Selects rows first..last as a right-click would record them.
  void Select(int first, int last) {
    list.SetCurrentRow(first);
    list.SetCurrentCol(0);
    list.SetSelectionEndRow(last);
    list.SetSelectionEndCol(kColumnCount - 1);
    settings.SelectedLines.assign(size_t(last - first + 1), "line");
  }

  std::filesystem::path folder;
  ProxyList list;
  AppSettings settings;
  FakeUserInterface ui;
};

}  // namespace quillet::testing
