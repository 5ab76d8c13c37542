#include "verify/blocking_check_io.h"

#include "net/socket_layer.h"

namespace quillet {

BlockingCheckIo::BlockingCheckIo(BlockingPorts ports, size_t threads)
    : ports_(ports), pool_(threads) {}

void BlockingCheckIo::Start(std::function<std::function<void()>()> call,
                            std::function<void()> abort) {
  uint64_t id = next_id_++;
  aborts_.emplace(id, std::move(abort));
  pool_.Post([this, id, call = std::move(call)]() -> BlockingPool::Answer {
    std::function<void()> answer = call();
    // Runs on the engine's thread, where aborts_ lives.
    return [this, id, answer = std::move(answer)] {
      if (aborts_.erase(id) > 0) answer();
    };
  });
}

void BlockingCheckIo::StartGet(const HttpRequest& request, GetDone done) {
  HttpClient& http = ports_.http;
  Start(
      [&http, request, done] {
        HttpReply reply = http.Get(request);
        return std::function<void()>([done, reply = std::move(reply)] { done(reply); });
      },
      [done] { done(HttpReply{}); });
}

// An echo or a TCP ping on the pool; an abort answers it as timed out.
void BlockingCheckIo::StartPing(std::function<bool(EchoReply&)> ping, EchoDone done) {
  Start(
      [ping = std::move(ping), done] {
        EchoReply reply;
        bool opened = ping(reply);
        return std::function<void()>([done, opened, reply] { done(opened, reply); });
      },
      [done] {
        EchoReply reply;
        reply.status = ip_status::kRequestTimedOut;
        done(true, reply);
      });
}

void BlockingCheckIo::StartEcho(uint32_t address, const std::string& payload, int32_t timeout_ms,
                                EchoDone done) {
  Pinger& pinger = ports_.pinger;
  StartPing([&pinger, address, payload, timeout_ms](
                EchoReply& reply) { return pinger.Echo(address, payload, timeout_ms, reply); },
            std::move(done));
}

void BlockingCheckIo::StartConnect(uint32_t address, uint16_t port, int32_t timeout_ms,
                                   EchoDone done) {
  Pinger& pinger = ports_.pinger;
  StartPing([&pinger, address, port, timeout_ms](
                EchoReply& reply) { return pinger.Connect(address, port, timeout_ms, reply); },
            std::move(done));
}

void BlockingCheckIo::StartLookup(const std::string& name, LookupDone done) {
  Resolver& resolver = ports_.resolver;
  Start(
      [&resolver, name, done] {
        std::string address = NameToAddress(resolver, name);
        return std::function<void()>([done, address] { done(address); });
      },
      [done] { done(""); });
}

void BlockingCheckIo::RunOnce(int max_wait_ms) {
  pool_.RunAnswers(aborts_.empty() ? 0 : max_wait_ms);
}

void BlockingCheckIo::AbortAll() {
  pool_.DropAll();
  auto aborts = std::move(aborts_);
  aborts_.clear();
  for (auto& [id, abort] : aborts) abort();
}

}  // namespace quillet
