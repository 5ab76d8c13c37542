#pragma once
#include "browser/toolbar_button.h"

namespace quillet {

// New identifiers from CoCreateGuid (ole32).
class CoCreateGuidSource : public GuidSource {
 public:
  std::optional<Guid> NewGuid() override;
};

}  // namespace quillet
