#pragma once
// What a verification run needs from the platform: the event-driven I/O of the checks, and
// enough open files for the rows in flight.
#include <cstdint>
#include <memory>
#include <string>

#include "verify/check_io.h"

namespace quillet {

class ParallelBackend {
 public:
  virtual ~ParallelBackend() = default;
  // The I/O belongs to the thread that makes it and must be used on it only.
  virtual std::unique_ptr<CheckIo> MakeIo() = 0;
  // How many I/Os of MakeIo may run side by side, each on a thread of its own (one engine each).
  virtual int MostEngines() const { return 1; }
  // Raises the limit of open files towards `wanted` as far as the system allows; answers the
  // limit now in force.
  virtual uint64_t RaiseOpenFiles(uint64_t wanted) = 0;
};

// The engines a run of `jobs` rows in flight uses when `wanted` are asked for (0: one per core):
// never more than the backend allows, nor than the jobs.
int EnginesFor(const ParallelBackend& backend, int wanted, int jobs);

// The open files a run with `jobs` rows in flight needs: one connection per row, plus the
// program's own files and sockets.
uint64_t OpenFilesFor(int jobs);
// How many rows may be in flight under an open-files limit.
int JobsWithin(uint64_t limit);

// Raises the open-files limit for `jobs` rows in flight. When the system allows fewer, answers
// the number of jobs that fit and sets `message` to say so; otherwise answers `jobs`.
int FitJobsToOpenFiles(ParallelBackend& backend, int jobs, std::string& message);

}  // namespace quillet
