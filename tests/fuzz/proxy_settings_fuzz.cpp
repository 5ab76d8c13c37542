// Any proxy string and bypass list read from the desktop become fields, and the fields build
// proxy strings and bypass lists again, without a fault.
#include "browser/apply.h"
#include "browser/current_settings.h"
#include "fakes/memory_connection_proxy.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string rest(reinterpret_cast<const char*>(data), size);
  quillet::testing::MemoryConnectionProxy component;
  std::string server = quillet::fuzz::TakeField(rest);
  component.Put(quillet::kLanConnection, server, size % 2 ? 3 : 1, rest);
  quillet::ProxyFields fields;
  quillet::ReadProxySettings(component, fields);
  quillet::BuildProxyString(fields);
  quillet::BuildBypassList(fields);
  quillet::WriteProxySettings(component, fields);
  return 0;
}
