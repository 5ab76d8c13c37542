#pragma once
// Small desktop services with nothing to configure: no dial-up phonebook, and a browser pickup
// for desktops whose programs follow proxy changes by themselves.
#include "browser/apply.h"
#include "browser/connection_list.h"

namespace quillet {

// The desktop has no dial-up phonebook: the local network is the only connection.
class EmptyPhonebook : public Phonebook {
 public:
  long EnumEntries(uint8_t*, uint32_t&, uint32_t& entries) override {
    entries = 0;
    return 0;
  }
};

// Desktop programs pick up proxy changes themselves: only apply mode 2 opens the default
// browser, at the test page, so that the user sees the new proxy at work.
class DesktopBrowserPickup : public BrowserPickup {
 public:
  std::string StartAddress(int apply_mode, const std::string& test_page) const override {
    return apply_mode == 2 ? test_page : "";
  }
  void CloseStartedBrowser(const std::string&, UserInterface&) override {}
};

}  // namespace quillet
