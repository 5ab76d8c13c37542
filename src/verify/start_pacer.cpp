#include "verify/start_pacer.h"

#include <algorithm>

namespace quillet {

StartPacer::StartPacer(size_t most)
    : most_(std::max<size_t>(most, 1)), allowed_(std::min(most_, kFirstStarts)) {}

void StartPacer::NoteTurn(std::chrono::milliseconds late) {
  if (late > kLate) {
    allowed_ = std::max<size_t>(allowed_ / 2, 1);
  } else if (late <= kOnTime) {
    allowed_ = std::min(most_, allowed_ * 2);
  }
}

}  // namespace quillet
