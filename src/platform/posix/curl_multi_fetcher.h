#pragma once
// Many probe requests side by side on curl multi handles, driven by libcurl's socket interface
// over an epoll loop. Each request is set up by CurlProbeTransfer, exactly as a single blocking
// fetch is.
//
// The requests are spread over lanes of at most kLaneSize transfers, each lane a multi handle of
// its own: libcurl looks for a finished connection by walking every connection of its multi
// handle, so one handle with thousands in flight spends more on that walk than on the transfer.
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/posix/curl_probe_transfer.h"
#include "platform/posix/epoll_loop.h"
#include "verify/check_io.h"

namespace quillet {

class CurlMultiFetcher {
 public:
  static constexpr size_t kLaneSize = 64;

  explicit CurlMultiFetcher(EpollLoop& loop);
  ~CurlMultiFetcher();
  CurlMultiFetcher(const CurlMultiFetcher&) = delete;
  CurlMultiFetcher& operator=(const CurlMultiFetcher&) = delete;

  // False when libcurl could not take the request; `done` is then not kept.
  bool Start(const HttpRequest& request, CheckIo::GetDone& done);
  // Milliseconds until a libcurl timer or the next look for stalled transfers is due, -1 when
  // none is.
  int TimeoutMs(std::chrono::steady_clock::time_point now) const;
  // Runs libcurl's timers that are due, ends the transfers on which nothing has moved for the
  // time-out (libcurl's own checks do not run while a transfer is idle) and answers every
  // transfer that has ended.
  void Progress(std::chrono::steady_clock::time_point now);
  // Ends every transfer at once; each is answered as not answered.
  void AbortAll();
  size_t Running() const { return transfers_.size(); }

 private:
  // One multi handle with its sockets and its timer.
  struct Lane : EpollLoop::Watcher {
    Lane(EpollLoop& loop);
    ~Lane() override;
    void OnReady(int fd, uint32_t events) override;
    void RunTimerWhenDue(std::chrono::steady_clock::time_point now);

    EpollLoop& loop;
    CURLM* multi = nullptr;
    size_t running = 0;
    bool timer_set = false;
    std::chrono::steady_clock::time_point timer_due;
    bool acted = false;  // libcurl ran on the lane since its messages were last read
  };
  struct Transfer {
    std::unique_ptr<CurlProbeTransfer> probe;
    CheckIo::GetDone done;
    Lane* lane = nullptr;
  };

  Lane& FreeLane();
  void Answer(CURL* easy, bool aborted, CURLcode result = CURLE_OK);
  void EndStalled(std::chrono::steady_clock::time_point now);
  static int OnSocket(CURL* easy, curl_socket_t fd, int what, void* lane, void* socket_data);
  static int OnTimer(CURLM* multi, long timeout_ms, void* lane);

  EpollLoop& loop_;
  std::vector<std::unique_ptr<Lane>> lanes_;
  size_t next_lane_ = 0;  // where the look for a lane with room starts
  std::unordered_map<CURL*, Transfer> transfers_;
  std::vector<CURL*> idle_;  // easy handles of ended transfers, reset, for the next ones
  std::chrono::steady_clock::time_point next_stall_check_;
};

}  // namespace quillet
