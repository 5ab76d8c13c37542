#include "platform/posix/gsettings_browser_info.h"

#include <gio/gio.h>

namespace quillet {

bool GnomeProxySchemaInstalled() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return false;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, kGnomeProxySchema, TRUE);
  if (!schema) return false;
  g_settings_schema_unref(schema);
  return true;
}

}  // namespace quillet
