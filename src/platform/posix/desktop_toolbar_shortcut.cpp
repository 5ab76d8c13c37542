#include "platform/posix/desktop_toolbar_shortcut.h"

#include <glib.h>
#include <glib/gstdio.h>

#include "core/errors.h"
#include "core/paths.h"
#include "core/text.h"

namespace quillet {

DesktopToolbarShortcut::DesktopToolbarShortcut(std::string folder) : folder_(std::move(folder)) {
  if (folder_.empty()) folder_ = std::string(g_get_user_data_dir()) + "/applications";
}

std::string DesktopToolbarShortcut::EntryPath(const std::string& id) const {
  std::string name = ToLower(RemoveChar(RemoveChar(id, '{'), '}'));
  return folder_ + "/quillet-" + name + ".desktop";
}

std::string DesktopExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  // A literal percent sign is written twice, or it would read as a field code.
  return ReplaceAll(quoted, "%", "%%") + "\"";
}

void DesktopToolbarShortcut::Install(const std::string& id, const std::string& program_dir) {
  GKeyFile* entry = g_key_file_new();
  const char* group = "Desktop Entry";
  g_key_file_set_string(entry, group, "Type", "Application");
  g_key_file_set_string(entry, group, "Name", "Set Proxy");
  g_key_file_set_string(entry, group, "Comment", "Start Quillet to choose the desktop's proxy");
  g_key_file_set_string(entry, group, "Exec",
                        DesktopExecArgument(InFolder(program_dir, "quillet")).c_str());
  g_key_file_set_string(entry, group, "Icon", "preferences-system-network-proxy");
  g_key_file_set_string(entry, group, "Categories", "Network;");
  g_key_file_set_boolean(entry, group, "Terminal", FALSE);
  g_mkdir_with_parents(folder_.c_str(), 0700);
  GError* error = nullptr;
  bool saved = g_key_file_save_to_file(entry, EntryPath(id).c_str(), &error);
  g_key_file_free(entry);
  if (saved) return;
  std::string reason = error->message;
  g_error_free(error);
  throw RunTimeError(kErrFileIo,
                     "Cannot write the launcher entry '" + EntryPath(id) + "': " + reason);
}

void DesktopToolbarShortcut::Remove(const std::string& id) {
  g_unlink(EntryPath(id).c_str());
}

}  // namespace quillet
