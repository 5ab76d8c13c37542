#include "verify/row_check.h"

#include "core/errors.h"
#include "core/text.h"
#include "net/socket_layer.h"
#include "verify/http_probe.h"

namespace quillet {
namespace {

constexpr size_t kServerIp = 1;
constexpr size_t kServerName = 2;
constexpr size_t kProtocol = 10;
constexpr size_t kUser = 11;
constexpr size_t kPassword = 12;
constexpr int kHttpOk = 200;

struct Target {
  std::string host;  // address, or a name to resolve
  std::string port;
  bool by_name = false;
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

// The address to ping and probe: the Server IP, else the Server Name (to be resolved).
Target TargetOf(const std::vector<std::string>& cells) {
  Target target;
  std::string address = Trim(cells[kServerIp]);
  if (!address.empty()) {
    SplitPort(address, target);
    return target;
  }
  std::string name = cells.size() > kServerName ? Trim(cells[kServerName]) : "";
  if (name.empty()) return target;
  SplitPort(name, target);
  target.by_name = true;
  return target;
}

void Judge(const ProbeResult& probe, RowCheckOutcome& outcome) {
  outcome.status = "OK";
  outcome.level = LevelWord(probe.Level);
  outcome.secure = probe.Anonymous ? "Y" : "N";
  outcome.icon = probe.Anonymous ? CellPicture::OK : CellPicture::No;
  if (probe.NoSearchText || probe.Tampered) {
    outcome.secure = "?";
    outcome.icon = CellPicture::Closed;
  }
}

struct EchoAnswer {
  bool opened = false;
  EchoReply reply;
};

Awaited<std::string> Lookup(RowWaits waits, const std::string& name) {
  return {waits.wakeups, [io = &waits.io, name](auto deliver) {
            io->StartLookup(name, [deliver](std::string address) { deliver(std::move(address)); });
          }};
}

Awaited<EchoAnswer> Echo(RowWaits waits, uint32_t address, int32_t timeout_ms) {
  return {waits.wakeups, [io = &waits.io, address, timeout_ms](auto deliver) {
            io->StartEcho(address, kPingPayload, timeout_ms,
                          [deliver](bool opened, const EchoReply& reply) {
                            deliver(EchoAnswer{opened, reply});
                          });
          }};
}

Awaited<EchoAnswer> Connect(RowWaits waits, uint32_t address, uint16_t port, int32_t timeout_ms) {
  return {waits.wakeups, [io = &waits.io, address, port, timeout_ms](auto deliver) {
            io->StartConnect(address, port, timeout_ms,
                             [deliver](bool opened, const EchoReply& reply) {
                               deliver(EchoAnswer{opened, reply});
                             });
          }};
}

// Why a ping that was sent gave no answer.
CheckFailure PingFailure(const std::string& method, int32_t status) {
  if (method == "icmp" && status == kPingNoChannel) return CheckFailure::NoIcmp;
  if (status == int32_t(ip_status::kDestPortUnreachable)) return CheckFailure::Refused;
  return method == "tcp" ? CheckFailure::TimedOut : CheckFailure::NoPingReply;
}

// Why a fetch gave no judge page.
CheckFailure FetchFailure(const HttpReply& reply) {
  if (reply.status == kHttpOk) return CheckFailure::NoJudgeText;
  if (reply.status != 0) return CheckFailure::HttpStatus;
  switch (reply.failure) {
    case HttpFailure::Refused:
      return CheckFailure::Refused;
    case HttpFailure::TimedOut:
      return CheckFailure::TimedOut;
    case HttpFailure::AuthRefused:
      return CheckFailure::AuthRefused;
    default:
      break;
  }
  return CheckFailure::NoAnswer;
}

Awaited<HttpReply> Fetch(RowWaits waits, const HttpRequest& request) {
  return {waits.wakeups, [io = &waits.io, request](auto deliver) {
            io->StartGet(request, [deliver](HttpReply reply) { deliver(std::move(reply)); });
          }};
}

}  // namespace

bool LineIsCheckable(const std::vector<std::string>& cells) {
  return cells.size() >= 2;
}

bool LineFailsAtOnce(const std::vector<std::string>& cells) {
  try {
    TargetOf(cells);
    return false;
  } catch (const RunTimeError&) {
    return true;
  }
}

Task<RowCheckOutcome> CheckRow(std::vector<std::string> cells, const ProbeSettings& settings,
                               RowWaits waits) {
  RowCheckOutcome outcome;
  try {
    Target target = TargetOf(cells);
    if (target.by_name && !waits.cancelled) {
      std::string resolved = co_await Lookup(waits, target.host);
      if (!resolved.empty()) target.host = resolved;
    }
    std::string proxy = "--";
    int32_t ping_status = 0;
    EchoAnswer echo;
    const std::string& method = settings.PingMethod;
    outcome.ping_method = method;
    if (LooksLikeAddress(target.host) && method != "none") {
      std::optional<uint32_t> address = ParseAddress(target.host);
      uint16_t port = uint16_t(PortNumber(target.port));
      ping_status = kPingBadAddress;
      if (address && !waits.cancelled && method == "tcp" && port != 0) {
        echo = co_await Connect(waits, *address, port, settings.PingTimeoutMs);
        ping_status = EchoStatus(echo.opened, echo.reply);
      } else if (address && !waits.cancelled && method != "tcp") {
        echo = co_await Echo(waits, *address, settings.PingTimeoutMs);
        ping_status = EchoStatus(echo.opened, echo.reply);
      }
      if (ping_status != 0) outcome.failure_kind = PingFailure(method, ping_status);
    }
    std::string text;
    int32_t fetch_ms = -1;
    if (ping_status == 0) {
      proxy = target.host + ":" + target.port;
      std::optional<HttpRequest> request = TestPageRequest(
          outcome.messages, proxy, settings.TestHost, settings.TestPath, settings.TestTimeoutMs);
      if (request && cells.size() > kProtocol) request->protocol = cells[kProtocol];
      if (request && cells.size() > kPassword) {
        request->proxy_user = cells[kUser];
        request->proxy_password = cells[kPassword];
      }
      HttpReply reply;
      if (request && !waits.cancelled) reply = co_await Fetch(waits, *request);
      text = TestPageText(reply, proxy);
      fetch_ms = reply.fetch_ms;
      outcome.failure_kind = FetchFailure(reply);
    }
    ProbeResult probe = JudgePage(text, settings);
    outcome.answered = probe.Answered;
    if (probe.Answered) {
      Judge(probe, outcome);
      outcome.failure_kind = probe.Tampered ? CheckFailure::PageChanged : CheckFailure::None;
      outcome.ping = std::to_string(echo.reply.round_trip_ms);
      outcome.fetch_ms = fetch_ms;
    } else {
      outcome.status = proxy;
    }
    if (settings.Countries) {
      std::string exit_address = probe.Answered ? RemoteAddressOf(text) : "";
      outcome.country = CountryOfProxy(*settings.Countries, exit_address, target.host);
    }
  } catch (...) {
    outcome.failure = std::current_exception();
  }
  co_return outcome;
}

}  // namespace quillet
