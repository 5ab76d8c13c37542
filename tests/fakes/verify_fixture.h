#pragma once
// What every verification test and benchmark sets up alike: the checks pointed at a judge on
// loopback, and rows selected for the Verify command as a right-click records them.
#include <string>

#include "core/text.h"
#include "proxylist/list_window.h"

namespace quillet::testing {

// Points the checks at the judge `host` (address:port) and `path`, whose page names the own
// address 127.0.0.1 and, for a secure proxy, `search_text` with nothing after it.
inline void UseJudge(AppSettings& settings, const std::string& host, const std::string& path,
                     const std::string& search_text, int test_timeout_ms = 2000) {
  settings.TestHost = host;
  settings.TestPath = path;
  settings.TestTimeoutMs = test_timeout_ms;
  settings.PingTimeoutMs = 1000;
  settings.SearchText = search_text;
  settings.FindIP = "127.0.0.1";
}

// Selects the data rows first..last over every column and records them as a right-click does.
inline void SelectForVerify(ListWindow window, int first, int last) {
  window.list.SetCurrentRow(first);
  window.list.SetCurrentCol(0);
  window.list.SetSelectionEndRow(last);
  window.list.SetSelectionEndCol(kColCol);
  window.settings.SelectedLines = Split(Trim(window.list.SelectedText()), "\r");
}

}  // namespace quillet::testing
