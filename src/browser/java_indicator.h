#pragma once
#include "app/user_interface.h"
#include "browser/registry_api.h"

namespace quillet {

inline constexpr const char* kInternetZoneKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
inline constexpr const char* kJavaValue = "1C00";

// Whether the browser runs Java applets: the Internet zone's "1C00" value, with its zero
// characters removed and trimmed, is not empty. A missing key or value reads as off; the key is
// never created just to look.
bool JavaIsOn(RegistryApi& registry, UserInterface& ui);

}  // namespace quillet
