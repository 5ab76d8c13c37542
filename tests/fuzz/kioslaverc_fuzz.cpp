// Any bytes as kioslaverc, then a proxy string and a bypass list: applying what the window
// shows of the file leaves every byte; applying the new values either changes nothing (refused)
// or reads back as written, and applying them once more changes nothing.
#include <cstdlib>

#include "browser/apply.h"
#include "browser/current_settings.h"
#include "browser/desktop_proxy_text.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix/kioslaverc_connection_proxy.h"
#include "proxylist/atomic_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // This file's own reading stands in for KDE's tools, and no session bus hears of changes.
  setenv("PATH", "/nonexistent", 1);
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_RUNTIME_DIR");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = quillet::fuzz::ScratchFile("kioslaverc");
  std::string rest(reinterpret_cast<const char*>(data), size);
  std::string text = quillet::fuzz::TakeField(rest);
  quillet::fuzz::WriteFile(path, text);
  quillet::KioslavercConnectionProxy component(path);
  quillet::ProxyFields fields;
  quillet::ReadProxySettings(component, fields);
  quillet::WriteProxySettings(component, fields);
  quillet::fuzz::Require(quillet::ReadFileBytes(path) == text);

  fields.proxy = size % 2 ? quillet::CheckState::Checked : quillet::CheckState::Unchecked;
  fields.same = false;
  fields.servers = {quillet::fuzz::TakeField(rest), "", "", ""};
  fields.socks = quillet::fuzz::TakeField(rest);
  fields.bypass = rest;
  std::string server = quillet::BuildProxyString(fields);
  try {
    quillet::WriteProxySettings(component, fields);
  } catch (const quillet::RunTimeError&) {
    quillet::fuzz::Require(quillet::ReadFileBytes(path) == text);
    return 0;
  }
  std::string stored;
  int32_t flags = 0;
  component.GetConnectionOption(quillet::kProxyOptionServer, "", stored, flags);
  quillet::fuzz::RequireSameServers(server, stored);
  quillet::ProxyFields read;
  quillet::ReadProxySettings(component, read);
  std::string written = quillet::ReadFileBytes(path);
  quillet::WriteProxySettings(component, read);
  quillet::fuzz::Require(quillet::ReadFileBytes(path) == written);
  return 0;
}
