#pragma once
// A browser that "starts" at the indicator page in every apply mode (or at nothing when
// `address` is empty) and counts the windows closed, and a shell that writes down every start.
#include <string>
#include <vector>

#include "browser/apply.h"

namespace quillet::testing {

struct IndicatorPickup : BrowserPickup {
  std::string address = "about:quillet";
  int closed = 0;
  std::string StartAddress(int, const std::string&) const override { return address; }
  void CloseStartedBrowser(const std::string&, UserInterface&) override { ++closed; }
};

struct RecordingShell : Shell {
  int result = 33;
  std::vector<std::string> opened;  // "file parameters show", and " owned" for the active window
  int Open(const std::string& file, const std::string& parameters, int show, bool owned) override {
    opened.push_back(file + " " + parameters + " " + std::to_string(show) +
                     (owned ? " owned" : ""));
    return result;
  }
};

}  // namespace quillet::testing
