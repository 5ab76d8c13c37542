#pragma once
// The watch over the applied proxy: every WatchSeconds it checks that one proxy with the same
// engine and judge as Verify, away from the window. After two failed checks in a row it re-checks
// the best other verified row of the list (BestReplacement) and applies the first one that
// passes; when none is left the proxy settings stay as they are. Either way the user is told.
// The window gives the watch its turns (Pump) from its own event loop; it never waits on it.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "proxylist/list_window.h"
#include "verify/parallel_backend.h"
#include "verify/row_check.h"
#include "verify/watch_choice.h"

namespace quillet {

class BackgroundRun;

// What the watch has to say. `notify`: worth a desktop notification (a switch, or no candidate
// left); otherwise the window shows it quietly.
struct WatchNews {
  std::string summary;
  std::string body;
  bool notify = false;
};

struct WatchServices {
  ParallelBackend& backend;
  ProxyFieldsView& fields;      // the main window's proxy area
  std::function<bool()> apply;  // Apply as the button does it, without ending the program
  std::function<void(const WatchNews&)> tell;
  std::function<std::string()> now_text;  // current date and time in the user's format
};

class ProxyWatch {
 public:
  using Clock = std::chrono::steady_clock;

  ProxyWatch(ListWindow window, WatchServices services);
  ~ProxyWatch();
  ProxyWatch(const ProxyWatch&) = delete;
  ProxyWatch& operator=(const ProxyWatch&) = delete;

  // The fields the desktop now holds (after Apply, or as read at load): the watch guards their
  // proxy, or nothing when the proxy is off.
  void Watch(const ProxyFields& applied);
  // Whether there is a proxy to guard and WatchSeconds is not 0.
  bool Active() const;
  // Does what is due and answers in how many milliseconds it wants its next turn; -1 when it
  // wants none (the watch is off).
  int Pump(Clock::time_point now = Clock::now());

 private:
  struct Check {
    std::unique_ptr<BackgroundRun> run;
    std::string address;  // of the proxy under check
    bool candidate = false;
  };

  void StartCheck(const std::string& address, bool candidate);
  void Checked(const RowCheckOutcome& outcome);
  void AppliedChecked(bool passed);
  void CandidateChecked(bool passed, int rank, const std::string& address);
  void TryNextCandidate();
  void SwitchTo(const std::string& address);
  void WriteCells(const std::string& address, const RowCheckOutcome& outcome);

  ListWindow window_;
  WatchServices services_;
  std::optional<WatchTarget> target_;
  ProxyFields applied_;
  std::optional<Check> check_;
  Clock::time_point next_check_{};
  int failures_ = 0;  // failed checks of the applied proxy in a row
  bool told_none_left_ = false;
};

}  // namespace quillet
