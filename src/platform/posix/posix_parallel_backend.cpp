#include "platform/posix/posix_parallel_backend.h"

#include <sys/resource.h>

#include <algorithm>

#include "platform/posix/event_loop_check_io.h"

namespace quillet {

std::unique_ptr<CheckIo> PosixParallelBackend::MakeIo() {
  return std::make_unique<EventLoopCheckIo>(resolver_);
}

uint64_t PosixParallelBackend::RaiseOpenFiles(uint64_t wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
    rlimit raised = limit;
    raised.rlim_cur =
        limit.rlim_max == RLIM_INFINITY ? wanted : std::min<rlim_t>(wanted, limit.rlim_max);
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return limit.rlim_cur == RLIM_INFINITY ? UINT64_MAX : static_cast<uint64_t>(limit.rlim_cur);
}

}  // namespace quillet
