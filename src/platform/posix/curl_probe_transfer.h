#pragma once
// One probe request on a libcurl easy handle. The whole request set-up lives here so that the
// same transfer can run on its own (curl_easy_perform, see CurlHttpClient) or side by side with
// many others on a curl multi handle: add handle() to the multi handle, and when libcurl reports
// it done, call Finish() with its result code.
#include <curl/curl.h>

#include <chrono>
#include <string>

#include "verify/http_client.h"

namespace quillet {

// libcurl's process-wide set-up; safe to call from any thread, any number of times.
void EnsureCurlReady();

class CurlProbeTransfer {
 public:
  // On `reused`, an easy handle that Release gave back, when there is one; else on a new one.
  explicit CurlProbeTransfer(const HttpRequest& request, CURL* reused = nullptr);
  ~CurlProbeTransfer();
  CurlProbeTransfer(const CurlProbeTransfer&) = delete;
  CurlProbeTransfer& operator=(const CurlProbeTransfer&) = delete;

  // The easy handle, or nullptr when libcurl could not make one (Finish then reports no answer).
  CURL* handle() const { return easy_; }

  // The reply, once the transfer has ended (whatever libcurl's result code, or stopped because
  // nothing moved before IdleDeadline()). An interim 1xx answer is not a status.
  // `result` tells why no status came (refused, timed out).
  HttpReply Finish(CURLcode result = CURLE_OK);
  // Gives up the easy handle, reset to libcurl's defaults, for another transfer to reuse (after
  // Finish, once the handle has left any multi handle); nullptr when there was none.
  CURL* Release();
  // When the transfer counts as stalled: the time-out after the last byte moved either way (or
  // after the start, while connecting; sending the request counts from the connection).
  std::chrono::steady_clock::time_point IdleDeadline() const {
    return last_activity_ + idle_limit_;
  }

 private:
  void Configure(const HttpRequest& request);
  void NoteActivity() { last_activity_ = std::chrono::steady_clock::now(); }
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static int OnConnected(void* self, char*, char*, int, int);
  static int OnProgress(void* self, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up);

  CURL* easy_ = nullptr;
  std::string url_;
  std::string proxy_;
  std::string body_;
  std::chrono::milliseconds idle_limit_{0};
  std::chrono::steady_clock::time_point last_activity_;
  curl_off_t last_down_ = 0;
  curl_off_t last_up_ = 0;
};

}  // namespace quillet
