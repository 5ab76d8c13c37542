// Any bytes as a list file: loading never fails outside its messages, and what was loaded is
// written so that it loads again with the same comments and cells.
#include <sstream>

#include "core/text.h"
#include "fakes/fake_user_interface.h"
#include "fuzz/fuzz_support.h"
#include "proxylist/list_file.h"

namespace {

quillet::ProxyList LoadBytes(const std::string& bytes, std::string& message) {
  static const std::string path = quillet::fuzz::ScratchFile("list.txt");
  quillet::fuzz::WriteFile(path, bytes);
  quillet::ProxyList list;
  quillet::AppSettings settings;
  settings.ListFile = path;
  quillet::testing::FakeUserInterface ui;
  quillet::MemoryProxyFields fields;
  quillet::LoadList({list, settings, ui}, fields);
  message = ui.messages.empty() ? "" : ui.messages.back().text;
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string message, again_message;
  quillet::ProxyList list =
      LoadBytes(std::string(reinterpret_cast<const char*>(data), size), message);
  // Any bytes give rows or a format error, never a failure report.
  if (!message.empty() && message.rfind("Error in Proxy List file:\n", 0) != 0) __builtin_trap();
  std::ostringstream written;
  quillet::WriteListFile(list, written);
  quillet::ProxyList again = LoadBytes(written.str(), again_message);
  if (!again_message.empty() || again.ListHeader != list.ListHeader) __builtin_trap();
  int kept = 0;  // rows typed "DEL" are deletion marks: a save leaves them out
  for (int row = 1; row <= list.LastRow(); ++row) {
    if (quillet::EqualsNoCase(list.Text(row, quillet::kColType), "DEL")) continue;
    if (++kept > again.LastRow() || again.Row(kept).cells != list.Row(row).cells) __builtin_trap();
    if (again.Row(kept).protocol() != list.Row(row).protocol()) __builtin_trap();
  }
  if (kept != again.LastRow()) __builtin_trap();
  return 0;
}
