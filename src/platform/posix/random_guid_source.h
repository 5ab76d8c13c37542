#pragma once
#include "browser/toolbar_button.h"

namespace quillet {

// New identifiers from the kernel's random numbers (version 4 identifiers).
class RandomGuidSource : public GuidSource {
 public:
  std::optional<Guid> NewGuid() override;
};

}  // namespace quillet
