#pragma once
#include <chrono>

#include "browser/apply.h"

namespace quillet {

inline constexpr const char* kIndicatorPage = "about:quillet";

// The browser takes new proxy settings when a window of it opens: after Apply the program
// starts it at the indicator page and closes that window again. The window is found in the
// shell's collection of open browser windows (ShellWindows) by its location name.
class ShellWindowsBrowserPickup : public BrowserPickup {
 public:
  explicit ShellWindowsBrowserPickup(
      std::chrono::milliseconds time_limit = std::chrono::seconds(20))
      : time_limit_(time_limit) {}
  std::string StartAddress(int apply_mode, const std::string& test_page) const override;
  // Looks for the window pass after pass, letting window events run between passes, and gives
  // up after the time limit (the browser may not have started at all).
  void CloseStartedBrowser(const std::string& address, UserInterface& ui) override;

 private:
  std::chrono::milliseconds time_limit_;
};

// One pass over the open browser windows: quits the first whose location name is `address`
// (ignoring case). True when one was found; false also when the collection is not available.
bool QuitBrowserWindowAt(const std::string& address);

}  // namespace quillet
