#pragma once
// The "Verify" command: checks the selected rows (look-up, ping, test-page probe), writes Status,
// Secure, Ping and Verified, paints each row, shows the progress in the window title, and lets
// the user cancel with a click on the grid. The checks run on the engine, away from the window;
// the window hands the run its turn (Pump) from its own event loop and never waits in between.
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "proxylist/list_window.h"
#include "verify/parallel_backend.h"
#include "verify/public_address.h"
#include "verify/verify_engine.h"

namespace quillet {

class BackgroundRun;

// Light orange, painted over the selected rows when a run starts.
inline constexpr Color kMarkColor = Rgb(255, 192, 128);

struct VerifyServices {
  ParallelBackend& backend;
  std::function<void(const std::string&)> set_caption;  // the main window's title
  std::string base_caption;                             // the title to restore at the end
  std::function<std::string()> now_text;  // current date and time in the user's format
  // Told the new title when the run has found the own public address (optional).
  std::function<void(const std::string&)> base_caption_changed = nullptr;
  // Told the rows checked so far and the rows to check, as the run goes (optional).
  std::function<void(size_t checked, size_t total)> progress = nullptr;
  // Told the run's one-line summary when it ends (optional).
  std::function<void(const std::string&)> summary = nullptr;
};

// "7 checked: 5 work, 3 elite".
std::string RunSummary(size_t checked, size_t working, size_t elite);

class VerifyRun {
 public:
  // Marks the selected rows and starts checking them, `jobs` at once. With one job the window
  // follows each row: title, pointer picture, scrolling and selection move with it.
  VerifyRun(ListWindow window, VerifyServices services, int jobs);
  // Ends the checks still going without waiting for the network.
  ~VerifyRun();
  VerifyRun(const VerifyRun&) = delete;
  VerifyRun& operator=(const VerifyRun&) = delete;

  // Shows what the engine reported since the last call (waiting at most `wait_ms` for it) and
  // ends the run when the grid's cancel handler has cleared Verifying. False once the run is over.
  // A call made while another is showing a message box returns true at once.
  bool Pump(int wait_ms);
  bool Over() const { return over_; }

 private:
  struct Line {
    std::vector<std::string> cells;
    int row = -1;  // grid row; -1 for a line that is skipped
    bool queued = false;
    bool finished = false;
  };

  void Start(int jobs);
  std::vector<std::pair<size_t, std::vector<std::string>>> NextWork(size_t count);
  void TopUp();
  void Show(RowEvent& event);
  void TakePublicAddressFrom(const DirectVisit& visit);
  void ShowStarted(const Line& line, size_t index);
  void ShowFinished(Line& line, RowEvent& event);
  bool RowStillThere(const Line& line) const;
  void Cancel();
  void Finish();

  ListWindow window_;
  VerifyServices services_;
  int jobs_ = 1;
  std::vector<Line> lines_;
  size_t next_work_ = 0;  // lines from here on are not handed to the run yet
  size_t queued_ = 0;
  size_t finished_ = 0;
  size_t working_ = 0;          // rows that answered
  size_t elite_ = 0;            // of those, the elite ones
  bool no_icmp_ = false;        // a row found that this system allows no ICMP echo
  std::exception_ptr failure_;  // of the last queued line, raised once the others have ended
  std::string notice_;          // why the own public address is not known, told at the end
  std::unique_ptr<BackgroundRun> run_;
  std::deque<RowEvent> to_show_;  // taken from the engine, not yet shown
  bool pumping_ = false;
  bool over_ = false;
};

// "Quillet scan 2 of 5    (127.0.1.12:3128)".
std::string ScanCaption(int index, int count, const std::string& shown);

// What the title shows of a line's cells: the Server IP, else the Server Name as it stands.
std::string ShownAddress(const std::vector<std::string>& cells);

// Writes a checked row's Status, Secure, Ping and Verified, its picture and its colours.
void WriteOutcome(ListWindow window, int row, const RowCheckOutcome& outcome,
                  const std::string& now);

// Runs the command to its end right here, for callers without an event loop of their own.
void VerifyToEnd(ListWindow window, VerifyServices services, int jobs);

}  // namespace quillet
