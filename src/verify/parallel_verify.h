#pragma once
// The "Verify" command with many selected rows in flight at once. Each row is written and
// painted as soon as its check ends, the title counts the finished rows, and a cancel (a click
// on the grid) starts no further row, drops the rows in flight and restores their marks. With
// one row at a time it is the one-at-a-time run itself.
#include "verify/parallel_backend.h"
#include "verify/verify_command.h"

namespace quillet {

// `backend` may be null (no parallel checks on this platform): the rows are then checked one at
// a time, as they are with `parallel` 1.
void VerifyRows(ListWindow window, VerifyServices& services, ParallelBackend* backend,
                int parallel);

}  // namespace quillet
