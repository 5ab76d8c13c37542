#include "platform/posix/curl_multi_fetcher.h"

#include <sys/epoll.h>

#include <algorithm>
#include <vector>

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;

// How often the transfers are looked at for a stall: a stalled row ends at most this late.
constexpr auto kStallCheckEvery = std::chrono::milliseconds(100);

}  // namespace

CurlMultiFetcher::Lane::Lane(EpollLoop& loop) : loop(loop), multi(curl_multi_init()) {
  curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &CurlMultiFetcher::OnSocket);
  curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &CurlMultiFetcher::OnTimer);
  curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
}

CurlMultiFetcher::Lane::~Lane() {
  curl_multi_cleanup(multi);
}

void CurlMultiFetcher::Lane::OnReady(int fd, uint32_t events) {
  int flags = 0;
  if (events & (EPOLLIN | EPOLLHUP)) flags |= CURL_CSELECT_IN;
  if (events & EPOLLOUT) flags |= CURL_CSELECT_OUT;
  if (events & EPOLLERR) flags |= CURL_CSELECT_ERR;
  int left = 0;
  curl_multi_socket_action(multi, fd, flags, &left);
  acted = true;
}

void CurlMultiFetcher::Lane::RunTimerWhenDue(Clock::time_point now) {
  if (!timer_set || now < timer_due) return;
  timer_set = false;
  int left = 0;
  curl_multi_socket_action(multi, CURL_SOCKET_TIMEOUT, 0, &left);
  acted = true;
}

CurlMultiFetcher::CurlMultiFetcher(EpollLoop& loop) : loop_(loop) {
  EnsureCurlReady();
}

CurlMultiFetcher::~CurlMultiFetcher() {
  AbortAll();
  for (CURL* easy : idle_) curl_easy_cleanup(easy);
}

CurlMultiFetcher::Lane& CurlMultiFetcher::FreeLane() {
  for (size_t looked = 0; looked < lanes_.size(); ++looked) {
    Lane& lane = *lanes_[next_lane_];
    if (lane.running < kLaneSize) return lane;
    next_lane_ = (next_lane_ + 1) % lanes_.size();
  }
  next_lane_ = lanes_.size();
  lanes_.push_back(std::make_unique<Lane>(loop_));
  return *lanes_.back();
}

// An easy handle is made once and reused (reset) by the transfers after it: making one is much
// of the cost of a short transfer.
bool CurlMultiFetcher::Start(const HttpRequest& request, CheckIo::GetDone& done) {
  CURL* reused = nullptr;
  if (!idle_.empty()) {
    reused = idle_.back();
    idle_.pop_back();
  }
  auto probe = std::make_unique<CurlProbeTransfer>(request, reused);
  CURL* easy = probe->handle();
  if (!easy) return false;
  // Every proxy is a different address: a name cache would only grow and be searched.
  curl_easy_setopt(easy, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
  Lane& lane = FreeLane();
  if (curl_multi_add_handle(lane.multi, easy) != CURLM_OK) return false;
  ++lane.running;
  if (transfers_.empty()) next_stall_check_ = Clock::now() + kStallCheckEvery;
  transfers_.emplace(easy, Transfer{std::move(probe), std::move(done), &lane});
  return true;
}

int CurlMultiFetcher::TimeoutMs(Clock::time_point now) const {
  int wait = -1;
  for (const auto& lane : lanes_) {
    if (!lane->timer_set) continue;
    int due = WaitMsUntil(lane->timer_due, now);
    wait = wait < 0 ? due : std::min(wait, due);
  }
  if (transfers_.empty()) return wait;
  int stall = WaitMsUntil(next_stall_check_, now);
  return wait < 0 ? stall : std::min(wait, stall);
}

void CurlMultiFetcher::Progress(Clock::time_point now) {
  // By number: an answer may start a transfer, which may add a lane.
  for (size_t index = 0; index < lanes_.size(); ++index) {
    Lane& lane = *lanes_[index];
    lane.RunTimerWhenDue(now);
    // Only libcurl's own runs end transfers: a lane it did not run on has nothing to tell.
    if (!lane.acted) continue;
    lane.acted = false;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(lane.multi, &left)) {
      if (message->msg == CURLMSG_DONE) {
        Answer(message->easy_handle, false, message->data.result);
      }
    }
  }
  if (now >= next_stall_check_) EndStalled(now);
}

void CurlMultiFetcher::EndStalled(Clock::time_point now) {
  next_stall_check_ = now + kStallCheckEvery;
  std::vector<CURL*> stalled;
  for (const auto& [easy, transfer] : transfers_) {
    if (transfer.probe->IdleDeadline() <= now) stalled.push_back(easy);
  }
  for (CURL* easy : stalled) Answer(easy, false, CURLE_OPERATION_TIMEDOUT);
}

void CurlMultiFetcher::Answer(CURL* easy, bool aborted, CURLcode result) {
  auto found = transfers_.find(easy);
  if (found == transfers_.end()) return;
  Transfer transfer = std::move(found->second);
  transfers_.erase(found);
  curl_multi_remove_handle(transfer.lane->multi, easy);
  --transfer.lane->running;
  HttpReply reply = aborted ? HttpReply{} : transfer.probe->Finish(result);
  if (CURL* idle = transfer.probe->Release()) idle_.push_back(idle);
  transfer.probe.reset();
  transfer.done(std::move(reply));
}

void CurlMultiFetcher::AbortAll() {
  while (!transfers_.empty()) Answer(transfers_.begin()->first, true);
}

int CurlMultiFetcher::OnSocket(CURL*, curl_socket_t fd, int what, void* lane, void*) {
  auto* owner = static_cast<Lane*>(lane);
  if (what == CURL_POLL_REMOVE) {
    owner->loop.Unwatch(fd);
    return 0;
  }
  uint32_t events = 0;
  if (what & CURL_POLL_IN) events |= EPOLLIN;
  if (what & CURL_POLL_OUT) events |= EPOLLOUT;
  // A socket the loop cannot watch fails its transfer instead of hanging it.
  return owner->loop.Watch(fd, events, owner) ? 0 : -1;
}

int CurlMultiFetcher::OnTimer(CURLM*, long timeout_ms, void* lane) {
  auto* owner = static_cast<Lane*>(lane);
  owner->timer_set = timeout_ms >= 0;
  if (timeout_ms >= 0) owner->timer_due = Clock::now() + std::chrono::milliseconds(timeout_ms);
  return 0;
}

}  // namespace quillet
