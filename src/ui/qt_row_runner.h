#pragma once
// Runs a row's check on a worker thread while the window keeps handling its events; the result
// comes back on the window's thread, in order. A click on the grid during the wait reaches the
// list's mouse rules (and so the cancel prompt) at once.
#include "verify/verify_command.h"

namespace quillet {

class QtRowRunner : public RowRunner {
 public:
  RowCheckOutcome Run(const std::function<RowCheckOutcome()>& check) override;
};

}  // namespace quillet
