#include "verify/row_check.h"

#include "core/errors.h"
#include "core/text.h"
#include "verify/http_probe.h"

namespace quillet {
namespace {

constexpr size_t kServerIp = 1;
constexpr size_t kServerName = 2;

struct Target {
  std::string host;  // address, or a name that did not resolve
  std::string port;
};

// Splits "host:port"; a text without ":" has no port to split off.
void SplitPort(const std::string& text, Target& target) {
  size_t colon = text.find(':');
  if (colon == std::string::npos) {
    throw RunTimeError(kErrInvalidCall, "Invalid procedure call or argument");
  }
  target.host = text.substr(0, colon);
  target.port = text.substr(colon + 1);
}

// The address to ping and probe: the Server IP, else the Server Name resolved when possible.
Target TargetOf(const std::vector<std::string>& cells, RowCheckServices& services) {
  Target target;
  std::string address = Trim(cells[kServerIp]);
  if (!address.empty()) {
    SplitPort(address, target);
    return target;
  }
  std::string name = cells.size() > kServerName ? Trim(cells[kServerName]) : "";
  if (name.empty()) return target;
  SplitPort(name, target);
  std::string resolved = services.name_to_address(target.host);
  if (!resolved.empty()) target.host = resolved;
  return target;
}

void Judge(const ProbeResult& probe, RowCheckOutcome& outcome) {
  outcome.status = "OK";
  outcome.secure = probe.Anonymous ? "Y" : "N";
  outcome.icon = probe.Anonymous ? CellPicture::OK : CellPicture::No;
  if (probe.NoSearchText) {
    outcome.secure = "?";
    outcome.icon = CellPicture::Closed;
  }
}

void Check(const std::vector<std::string>& cells, const ProbeSettings& settings,
           RowCheckServices& services, RowCheckOutcome& outcome) {
  Target target = TargetOf(cells, services);
  std::string proxy = "--";
  int32_t ping_status = 0;
  EchoReply reply;
  if (LooksLikeAddress(target.host)) {
    ping_status =
        PingHost(services.pinger, target.host, kPingPayload, reply, settings.PingTimeoutMs);
  }
  ProbeResult probe;
  if (ping_status == 0) {
    proxy = target.host + ":" + target.port;
    probe = ProbeProxy(outcome.messages, services.http, settings, proxy);
  }
  outcome.answered = probe.Answered;
  if (probe.Answered) {
    Judge(probe, outcome);
    outcome.ping = std::to_string(reply.round_trip_ms);
  } else {
    outcome.status = proxy;
  }
}

}  // namespace

RowCheckOutcome CheckRow(const std::vector<std::string>& cells, const ProbeSettings& settings,
                         RowCheckServices& services) {
  RowCheckOutcome outcome;
  if (cells.size() < 2) {
    outcome.skipped = true;
    return outcome;
  }
  try {
    Check(cells, settings, services, outcome);
  } catch (...) {
    outcome.failure = std::current_exception();
  }
  return outcome;
}

}  // namespace quillet
