#include "browser/java_indicator.h"

#include "browser/registry.h"
#include "core/text.h"

namespace quillet {

bool JavaIsOn(RegistryApi& registry, UserInterface& ui) {
  try {
    CRegistry key(registry, ui);
    key.SetAutoCreate(false);
    key.SetRoot(kHkeyCurrentUser);
    key.SetKey(kInternetZoneKey);
    return !Trim(RemoveChar(key.GetValue(kJavaValue), '\0')).empty();
  } catch (const RegistryError&) {
    return false;
  }
}

}  // namespace quillet
