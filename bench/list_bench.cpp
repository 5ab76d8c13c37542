// Times the proxy list on a large file: load, sort by a column, save, delete half the rows.
// Prints one line per step.
//   list_bench [ROWS]   (default 100000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/proxy_fields.h"
#include "proxylist/list_commands.h"
#include "proxylist/list_file.h"

namespace {

// A user who never answers anything: the benchmark shows no boxes.
class SilentUser : public quillet::UserInterface {
 public:
  quillet::MessageAnswer ShowMessage(const std::string& text, quillet::MessageIcon,
                                     quillet::MessageButtons, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return quillet::MessageAnswer::Ok;
  }
  std::string AskText(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  void SetPointer(quillet::PointerShape) override {}
  void ProcessPendingEvents() override {}
  void SetClipboardText(const std::string&) override {}
};

std::string SampleLine(int i) {
  std::string address = "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) +
                        "." + std::to_string(i % 256) + ":" + std::to_string(1000 + i % 7000);
  std::string name = i % 3 ? "" : "host" + std::to_string(i * 7919 % 100000) + ".example.com:80";
  std::string status = i % 4 ? "OK" : "--";
  std::string secure = i % 4 ? (i % 2 ? "Y" : "N") : "";
  return address + "\t|" + name + "\t|comment " + std::to_string(i * 31 % 1000) +
         "\t|05.12.2026 15:00\t|COM\t|" + status + "\t|" + secure + "\t|" +
         std::to_string(i * 7 % 3000) + "\t|" + (i % 5 ? "" : "12;14") + "\t\r\n";
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("quillet-bench-" + std::to_string(rows) + ".txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "' benchmark list\r\n";
    for (int i = 0; i < rows; ++i) out << SampleLine(i);
  }
  quillet::ProxyList list;
  quillet::AppSettings settings;
  SilentUser ui;
  quillet::MemoryProxyFields fields;
  settings.ListFile = path.string();
  quillet::ListWindow window{list, settings, ui};

  auto start = std::chrono::steady_clock::now();
  quillet::LoadList(window, fields);
  std::printf("load %d rows: %.3f s\n", list.Rows() - 1, Seconds(start));

  for (auto [column, title] :
       {std::pair{quillet::kColPing, "Ping"}, std::pair{quillet::kColServerIp, "Server IP"},
        std::pair{quillet::kColComment, "Comment"}}) {
    list.MouseY = 1;  // a right-click on the title row
    list.SetCurrentCol(column);
    list.SetCurrentRow(1);
    list.SetSelectionEndRow(list.LastRow());
    start = std::chrono::steady_clock::now();
    quillet::SortByColumn(window, false);
    std::printf("sort by %s (descending): %.3f s\n", title, Seconds(start));
  }

  start = std::chrono::steady_clock::now();
  bool saved = quillet::GridExport(window);
  std::printf("save: %.3f s%s\n", Seconds(start), saved ? "" : " (failed)");

  // Delete a block of half the list near its top: the rows below it move up once.
  int half = (list.Rows() - 1) / 2;
  list.SetCurrentRow(2);
  list.SetSelectionEndRow(1 + half);
  settings.SelectedLines.assign(size_t(half), "line");
  int before = list.Rows() - 1;
  start = std::chrono::steady_clock::now();
  quillet::DeleteCommand(window);
  std::printf("delete %d of %d rows: %.3f s\n", before - (list.Rows() - 1), before, Seconds(start));
  std::filesystem::remove(path);
  return saved ? 0 : 1;
}
