#pragma once
// Scripted HTTP and ICMP ports for the verification tests.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "net/socket_layer.h"
#include "verify/http_client.h"
#include "verify/pinger.h"

namespace quillet::testing {

// Answers by proxy text; a proxy with no scripted answer gets no answer at all (status 0).
class FakeHttpClient : public HttpClient {
 public:
  std::map<std::string, HttpReply> replies;
  std::vector<HttpRequest> requests;

  HttpReply Get(const HttpRequest& request) override {
    std::lock_guard<std::mutex> lock(mutex_);
    requests.push_back(request);
    auto found = replies.find(request.proxy);
    return found == replies.end() ? HttpReply{} : found->second;
  }

 private:
  std::mutex mutex_;
};

// Answers by dotted address; an address with no scripted status times out.
class FakePinger : public Pinger {
 public:
  std::map<std::string, uint32_t> statuses;
  uint32_t round_trip_ms = 7;
  std::vector<std::string> pinged;
  bool no_icmp = false;  // the system refuses ICMP sockets

  // A TCP ping answers as the echo would, with its port after the address.
  bool Connect(uint32_t address, uint16_t port, int32_t, EchoReply& reply) override {
    Answer(address, reply, ":" + std::to_string(port));
    return true;
  }
  bool Echo(uint32_t address, const std::string&, int32_t, EchoReply& reply) override {
    if (no_icmp) return false;
    Answer(address, reply, "");
    return true;
  }

 private:
  void Answer(uint32_t address, EchoReply& reply, const std::string& port) {
    std::string text = DottedAddress(address);
    pinged.push_back(text + port);
    auto found = statuses.find(text);
    reply.status = found == statuses.end() ? ip_status::kRequestTimedOut : found->second;
    if (reply.status == ip_status::kSuccess) reply.round_trip_ms = round_trip_ms;
  }
};

}  // namespace quillet::testing
