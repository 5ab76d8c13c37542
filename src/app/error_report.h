#pragma once
// The program's one report of an unexpected failure. Every guarded routine has one trap that
// calls ReportError with the routine's tag ("F" and a number) and then ends the routine.
#include <exception>
#include <string>
#include <utility>

#include "app/user_interface.h"

namespace quillet {

using ErrorTag = std::string;

namespace tags {
inline constexpr const char* kStartup = "F1";
inline constexpr const char* kLocalAddress = "F2";
inline constexpr const char* kProbeProxy = "F3";
inline constexpr const char* kHttpGetViaProxy = "F6";
inline constexpr const char* kSetRowColor = "F7";
inline constexpr const char* kApply = "F8";
inline constexpr const char* kUseCellAsProxy = "F9";
inline constexpr const char* kMainWindowLoad = "F10";
inline constexpr const char* kMakerLink = "F11";
inline constexpr const char* kHelpLink = "F12";
inline constexpr const char* kReloadList = "F14";
inline constexpr const char* kEditList = "F15";
inline constexpr const char* kGridMouse = "F16";
inline constexpr const char* kVerify = "F17";
inline constexpr const char* kLoadList = "F18";
inline constexpr const char* kGridExport = "F19";
inline constexpr const char* kResolveRows = "F20";
inline constexpr const char* kUpgradeLink = "F21";
inline constexpr const char* kReadCurrentSettings = "F22";
inline constexpr const char* kAddNew = "F23";
inline constexpr const char* kConnectionList = "F24";
}  // namespace tags

// Restores the default pointer, then shows "Function: <tag>", "Error: <number>" and the
// description on three lines, with the critical icon and OK.
void ReportError(UserInterface& ui, const ErrorTag& tag, long number,
                 const std::string& description);

// The same for a caught exception: a RunTimeError gives its own number, anything else a
// general number. A TypingMistake shows only its own words, with the warning icon.
void ReportError(UserInterface& ui, const ErrorTag& tag, const std::exception& failure);

// Runs `body`; a failure that escapes it is reported under `tag`, after `before_report` has
// run (for state that must already be reset while the report is shown). Returns false after a
// report.
template <class Body, class BeforeReport = void (*)()>
bool RunGuarded(
    UserInterface& ui, const ErrorTag& tag, Body&& body, BeforeReport&& before_report = [] {}) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const std::exception& failure) {
    before_report();
    ReportError(ui, tag, failure);
    return false;
  }
}

}  // namespace quillet
