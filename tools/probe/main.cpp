// quillet-probe: checks proxies the way a verification run does, through this platform's
// adapters (name look-up, ICMP echo, HTTP through the proxy), and prints for each proxy its
// Status and Secure cells and the first block of the judge page fetched through it.
//   quillet-probe JUDGE_HOST:PORT/PATH OWN_ADDRESS TIMEOUT_MS PROXY...  (socks5://host:port ...)
// Output, per proxy: "proxy P", "status S", "secure S", "body N" and the N bytes of the body.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/text.h"
#include "net/socket_layer.h"
#include "platform/platform.h"
#include "proxylist/list_file.h"
#include "verify/deferred_user_interface.h"
#include "verify/http_probe.h"
#include "verify/verify_engine.h"

namespace {

// `listed` is host:port, or socks5://host:port and the like for a proxy that is not HTTP.
void PrintCheck(quillet::Platform& platform, const quillet::ProbeSettings& settings,
                const std::string& listed) {
  quillet::ProtocolPrefix prefix = quillet::SplitProtocolPrefix(listed);
  std::string proxy = prefix.found ? prefix.rest : listed;
  auto io = platform.parallel->MakeIo();
  quillet::VerifyEngine engine(*io, settings, 1);
  engine.Add(0, quillet::Split("\t" + proxy + "\t\t\t\t\t\t\t\t\t" + prefix.protocol, "\t"));
  quillet::RowCheckOutcome outcome;
  while (!engine.Done()) {
    for (quillet::RowEvent& event : engine.Step(100)) {
      if (!event.started) outcome = std::move(event.outcome);
    }
  }
  quillet::DeferredUserInterface ui;
  std::string status = proxy, body;
  auto request = quillet::TestPageRequest(ui, status, settings.TestHost, settings.TestPath,
                                          settings.TestTimeoutMs);
  if (request) request->protocol = prefix.protocol;
  if (request) body = quillet::TestPageText(platform.http->Get(*request), status);
  std::printf("proxy %s\nstatus %s\nsecure %s\nbody %zu\n", listed.c_str(), outcome.status.c_str(),
              outcome.secure.c_str(), body.size());
  std::fwrite(body.data(), 1, body.size(), stdout);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s JUDGE_HOST:PORT/PATH OWN_ADDRESS TIMEOUT_MS PROXY...\n",
                 argv[0]);
    return 2;
  }
  auto platform = quillet::MakePlatform();
  std::string page = argv[1];
  quillet::ProbeSettings settings;
  settings.TestHost = quillet::Before(page + "/", "/");
  settings.TestPath = "/" + quillet::After(page, "/");
  settings.FindIP = argv[2];
  settings.TestTimeoutMs = std::atoi(argv[3]);
  settings.PingTimeoutMs = settings.TestTimeoutMs;
  settings.SearchText = "REMOTE_ADDR";
  for (int i = 4; i < argc; ++i) PrintCheck(*platform, settings, argv[i]);
  return 0;
}
