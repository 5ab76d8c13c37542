#include "verify/parallel_backend.h"

#include <algorithm>
#include <thread>

namespace quillet {
namespace {

// Standard streams, the settings and list files, the ICMP sockets, the event loop, the look-up
// threads' wake-up, and what libraries open on their own.
constexpr uint64_t kOwnFiles = 64;

}  // namespace

int EnginesFor(const ParallelBackend& backend, int wanted, int jobs) {
  if (wanted <= 0) wanted = static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
  return std::max(1, std::min({wanted, backend.MostEngines(), jobs}));
}

uint64_t OpenFilesFor(int jobs) {
  return static_cast<uint64_t>(std::max(jobs, 1)) + kOwnFiles;
}

int JobsWithin(uint64_t limit) {
  if (limit <= kOwnFiles + 1) return 1;
  return static_cast<int>(std::min<uint64_t>(limit - kOwnFiles, 1u << 30));
}

int FitJobsToOpenFiles(ParallelBackend& backend, int jobs, std::string& message) {
  uint64_t wanted = OpenFilesFor(jobs);
  uint64_t limit = backend.RaiseOpenFiles(wanted);
  if (limit >= wanted) return jobs;
  int fitting = JobsWithin(limit);
  message = std::to_string(jobs) + " checks at once need " + std::to_string(wanted) +
            " open files, but the system allows only " + std::to_string(limit) + "; running " +
            std::to_string(fitting) + " at once. Raise the hard limit (ulimit -Hn) to allow more.";
  return fitting;
}

}  // namespace quillet
