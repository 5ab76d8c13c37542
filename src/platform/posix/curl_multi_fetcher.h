#pragma once
// Many probe requests side by side on one curl multi handle, driven by libcurl's socket
// interface over an epoll loop. Each request is set up by CurlProbeTransfer, exactly as a
// single blocking fetch is.
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/posix/curl_probe_transfer.h"
#include "platform/posix/epoll_loop.h"
#include "verify/check_io.h"

namespace quillet {

class CurlMultiFetcher : public EpollLoop::Watcher {
 public:
  explicit CurlMultiFetcher(EpollLoop& loop);
  ~CurlMultiFetcher() override;
  CurlMultiFetcher(const CurlMultiFetcher&) = delete;
  CurlMultiFetcher& operator=(const CurlMultiFetcher&) = delete;

  // False when libcurl could not take the request; `done` is then not kept.
  bool Start(const HttpRequest& request, CheckIo::GetDone& done);
  // Milliseconds until libcurl's timer or the next look for stalled transfers is due, -1 when
  // neither is.
  int TimeoutMs() const;
  // Runs libcurl's timer when it is due, ends the transfers on which nothing has moved for the
  // time-out (libcurl's own checks do not run while a transfer is idle) and answers every
  // transfer that has ended.
  void Progress();
  // Ends every transfer at once; each is answered as not answered.
  void AbortAll();
  size_t Running() const { return transfers_.size(); }

 private:
  struct Transfer {
    std::unique_ptr<CurlProbeTransfer> probe;
    CheckIo::GetDone done;
  };

  void OnReady(int fd, uint32_t events) override;
  void Answer(CURL* easy, bool aborted, CURLcode result = CURLE_OK);
  void EndStalled();
  static int OnSocket(CURL* easy, curl_socket_t fd, int what, void* self, void* socket_data);
  static int OnTimer(CURLM* multi, long timeout_ms, void* self);

  EpollLoop& loop_;
  CURLM* multi_ = nullptr;
  std::unordered_map<CURL*, Transfer> transfers_;
  std::vector<CURL*> idle_;  // easy handles of ended transfers, reset, for the next ones
  bool timer_set_ = false;
  std::chrono::steady_clock::time_point timer_due_;
  std::chrono::steady_clock::time_point next_stall_check_;
};

}  // namespace quillet
