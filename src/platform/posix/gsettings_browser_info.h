#pragma once

namespace quillet {

inline constexpr const char* kGnomeProxySchema = "org.gnome.system.proxy";

// True when the desktop's proxy settings schema is installed (opening a missing schema would
// abort the process, so every user of the schema asks this first).
bool GnomeProxySchemaInstalled();

}  // namespace quillet
