#pragma once
// The "Verify" command: checks the selected rows one after the other (look-up, ping, test-page
// probe), writes Status, Secure, Ping and Verified, paints each row, shows the progress in the
// window title, and lets the user cancel with a click on the grid between and during rows.
#include <functional>
#include <string>
#include <vector>

#include "proxylist/list_window.h"
#include "verify/row_check.h"

namespace quillet {

// Light orange, painted over the selected rows when a run starts.
inline constexpr Color kMarkColor = Rgb(255, 192, 128);

// Runs one row's check away from the window and waits for it while the window keeps handling
// its events (so a click on the grid reaches the cancel prompt at once).
class RowRunner {
 public:
  virtual ~RowRunner() = default;
  virtual RowCheckOutcome Run(const std::function<RowCheckOutcome()>& check) = 0;
};

// Runs the check right where it is asked for (no window to keep alive).
class InPlaceRowRunner : public RowRunner {
 public:
  RowCheckOutcome Run(const std::function<RowCheckOutcome()>& check) override { return check(); }
};

struct VerifyServices {
  RowCheckServices& checks;
  RowRunner& runner;
  std::function<void(const std::string&)> set_caption;  // the main window's title
  std::string base_caption;                             // the title to restore at the end
  std::function<std::string()> now_text;  // current date and time in the user's format
};

// "Quillet scan 2 of 5    (127.0.1.12:3128)".
std::string ScanCaption(int index, int count, const std::string& shown);

void VerifyCommand(ListWindow window, VerifyServices& services);

// What the title shows of a line's cells: the Server IP, else the Server Name as it stands.
std::string ShownAddress(const std::vector<std::string>& cells);

// Writes a checked row's Status, Secure, Ping and Verified, its picture and its colours.
void WriteOutcome(ListWindow window, int row, const RowCheckOutcome& outcome,
                  const std::string& now);

}  // namespace quillet
