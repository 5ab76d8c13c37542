#pragma once
// How many new rows one turn of the engine may start. A turn that ends well after the wait it
// asked for means the loop is late: the rows in flight already wait longer than they should for
// their replies to be read, and every new row adds to that wait. So while turns are late the
// starts per turn halve, down to one; when turns are on time again they double, up to the jobs.
#include <chrono>
#include <cstddef>

namespace quillet {

class StartPacer {
 public:
  // A turn later than this is a lagging loop; one no later than `kOnTime` a loop that keeps up.
  static constexpr std::chrono::milliseconds kLate{100};
  static constexpr std::chrono::milliseconds kOnTime{25};
  // Starts allowed in the first turns, so that the very first one is no burst of every job.
  static constexpr size_t kFirstStarts = 256;

  explicit StartPacer(size_t most);
  // Notes how much longer the last turn took than the wait it asked for (zero or less: none).
  void NoteTurn(std::chrono::milliseconds late);
  size_t Allowed() const { return allowed_; }

 private:
  size_t most_;
  size_t allowed_;
};

}  // namespace quillet
