#pragma once
// Real servers for the end-to-end tests, each on its own loopback address and a port picked at
// run time: the judge inside the test program, tinyproxy and squid as child processes with their
// configuration and files in the test's temporary folder. A child dies with the test process and
// is stopped (and waited for) when its object goes away.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/child_process.h"
#include "fakes/temp_dir.h"
#include "judge/judge_server.h"

namespace quillet::testing {

// The full path of an installed program (on PATH or in the sbin folders, where proxies live).
std::string FindProgram(const std::string& name);

struct RunningServer {
  std::unique_ptr<ChildProcess> process;
  std::string address;
  uint16_t port = 0;
  std::string proxy() const { return address + ":" + std::to_string(port); }
  explicit operator bool() const { return process != nullptr; }
};

// The judge on `address` and a free port above 32767. Null when it could not listen.
std::unique_ptr<judge::JudgeServer> StartJudge(const std::string& address);

// tinyproxy on `listen`, out from `bind`, with `extra` lines of configuration ("XTinyproxy Yes").
// Each Start gives an empty result when its program is missing or did not start.
RunningServer StartTinyproxy(const TempDir& folder, const std::string& listen,
                             const std::string& bind, const std::string& extra);

// An https page (openssl s_server, whose page names "s_server") on `listen`, with a fresh
// certificate for that address in folder/page-cert.pem.
RunningServer StartTlsPage(const TempDir& folder, const std::string& listen);

// microsocks (a SOCKS5 server) listening on `listen`, connecting out from `bind`, with `extra`
// arguments ("-u", user, "-P", password).
RunningServer StartMicrosocks(const std::string& listen, const std::string& bind,
                              const std::vector<std::string>& extra = {});

// dante (SOCKS4 and SOCKS5) listening and connecting out on `listen`, never as root.
RunningServer StartDante(const TempDir& folder, const std::string& listen);

// squid likewise (as root it drops to the "proxy" user, which gets the folder).
RunningServer StartSquid(const TempDir& folder, const std::string& listen,
                         const std::string& extra);

}  // namespace quillet::testing
