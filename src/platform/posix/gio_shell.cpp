#include "platform/posix/gio_shell.h"

#include <gio/gio.h>

#include <memory>

#include "core/paths.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr int kSuccess = 33;
constexpr int kFileNotFound = 2;
constexpr int kProtection = 5;
constexpr int kOutOfMemory = 8;
constexpr int kInvalidProgram = 11;
constexpr int kNoApplication = 31;

struct Unref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using Ref = std::unique_ptr<T, Unref>;

int CodeForError(GError* error) {
  int code = kNoApplication;
  if (error && error->domain == G_SPAWN_ERROR) {
    switch (error->code) {
      case G_SPAWN_ERROR_NOENT:
        code = kFileNotFound;
        break;
      case G_SPAWN_ERROR_ACCES:
      case G_SPAWN_ERROR_PERM:
        code = kProtection;
        break;
      case G_SPAWN_ERROR_NOMEM:
        code = kOutOfMemory;
        break;
      case G_SPAWN_ERROR_NOEXEC:
      case G_SPAWN_ERROR_TOO_BIG:
        code = kInvalidProgram;
        break;
      default:
        break;
    }
  } else if (error && error->domain == G_IO_ERROR) {
    if (error->code == G_IO_ERROR_NOT_FOUND) code = kFileNotFound;
    if (error->code == G_IO_ERROR_PERMISSION_DENIED) code = kProtection;
  }
  if (error) g_error_free(error);
  return code;
}

int Launch(GAppInfo* app, GList* files, GList* uris) {
  GError* error = nullptr;
  bool launched = files ? g_app_info_launch(app, files, nullptr, &error)
                        : g_app_info_launch_uris(app, uris, nullptr, &error);
  return launched ? kSuccess : CodeForError(error);
}

// An address with a scheme of two letters or more ("C:" is a drive, not a scheme).
std::string SchemeOf(const std::string& target) {
  const char* scheme = g_uri_peek_scheme(target.c_str());
  std::string text = scheme ? scheme : "";
  return text.size() > 1 ? text : "";
}

int OpenDocument(const std::string& path);

int OpenAddress(const std::string& address, const std::string& scheme) {
  if (scheme == "file") {
    gchar* path = g_filename_from_uri(address.c_str(), nullptr, nullptr);
    std::string local = path ? path : "";
    g_free(path);
    return local.empty() ? kFileNotFound : OpenDocument(local);
  }
  Ref<GAppInfo> app(g_app_info_get_default_for_uri_scheme(scheme.c_str()));
  if (!app) return kNoApplication;
  GList uris{const_cast<char*>(address.c_str()), nullptr, nullptr};
  return Launch(app.get(), nullptr, &uris);
}

int OpenDocument(const std::string& path) {
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return kFileNotFound;
  Ref<GFile> file(g_file_new_for_path(path.c_str()));
  Ref<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
  const char* type = info ? g_file_info_get_content_type(info.get()) : nullptr;
  Ref<GAppInfo> app(type ? g_app_info_get_default_for_type(type, FALSE) : nullptr);
  if (!app) return kNoApplication;
  GList files{file.get(), nullptr, nullptr};
  return Launch(app.get(), &files, nullptr);
}

int OpenTarget(const std::string& target) {
  if (target.empty()) return kFileNotFound;
  std::string scheme = SchemeOf(target);
  return scheme.empty() ? OpenDocument(target) : OpenAddress(target, scheme);
}

// The program with the parameters as its one argument; no shell reads either.
int RunProgram(const std::string& program, const std::string& parameters) {
  if (HasFolder(program) && !g_file_test(program.c_str(), G_FILE_TEST_EXISTS)) return kFileNotFound;
  gchar* argv[] = {const_cast<gchar*>(program.c_str()), const_cast<gchar*>(parameters.c_str()),
                   nullptr};
  GError* error = nullptr;
  GSpawnFlags flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL);
  if (g_spawn_async(nullptr, argv, nullptr, flags, nullptr, nullptr, nullptr, &error)) {
    return kSuccess;
  }
  return CodeForError(error);
}

}  // namespace

int GioShell::Open(const std::string& file, const std::string& parameters, int, bool) {
  if (file.empty()) return OpenTarget(parameters);
  if (parameters.empty()) return OpenTarget(file);
  gchar* name = g_path_get_basename(file.c_str());
  bool browser = EqualsNoCase(name, kBrowserProgram);
  g_free(name);
  if (browser) return OpenTarget(parameters);
  return RunProgram(file, parameters);
}

}  // namespace quillet
