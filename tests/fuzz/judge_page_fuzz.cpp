// Any judge page (with any search text and own address) is judged without a fault.
#include "fakes/fake_user_interface.h"
#include "fakes/fake_verify_ports.h"
#include "fuzz/fuzz_support.h"
#include "verify/http_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string rest(reinterpret_cast<const char*>(data), size);
  quillet::ProbeSettings settings;
  settings.TestHost = "127.0.0.2";
  settings.TestPath = "/judge";
  settings.SearchText = quillet::fuzz::TakeField(rest);
  settings.FindIP = quillet::fuzz::TakeField(rest);
  quillet::testing::FakeHttpClient client;
  client.replies["127.0.0.3:80"] = {200, rest};
  quillet::testing::FakeUserInterface ui;
  std::string proxy = "127.0.0.3:80";
  quillet::ProbeResult result = quillet::ProbeProxy(ui, client, settings, proxy);
  if (result.Answered == rest.empty()) __builtin_trap();
  return 0;
}
