#include "platform/posix/curl_multi_fetcher.h"

#include <sys/epoll.h>

#include <algorithm>
#include <vector>

namespace quillet {
namespace {

using Clock = std::chrono::steady_clock;

// How often the transfers are looked at for a stall: a stalled row ends at most this late.
constexpr auto kStallCheckEvery = std::chrono::milliseconds(100);

int MillisecondsUntil(Clock::time_point due) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

}  // namespace

CurlMultiFetcher::CurlMultiFetcher(EpollLoop& loop) : loop_(loop) {
  EnsureCurlReady();
  multi_ = curl_multi_init();
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlMultiFetcher::OnSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlMultiFetcher::OnTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
}

CurlMultiFetcher::~CurlMultiFetcher() {
  AbortAll();
  for (CURL* easy : idle_) curl_easy_cleanup(easy);
  curl_multi_cleanup(multi_);
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
  if (curl_multi_add_handle(multi_, easy) != CURLM_OK) return false;
  if (transfers_.empty()) next_stall_check_ = Clock::now() + kStallCheckEvery;
  transfers_.emplace(easy, Transfer{std::move(probe), std::move(done)});
  return true;
}

int CurlMultiFetcher::TimeoutMs() const {
  int wait = timer_set_ ? MillisecondsUntil(timer_due_) : -1;
  if (transfers_.empty()) return wait;
  int stall = MillisecondsUntil(next_stall_check_);
  return wait < 0 ? stall : std::min(wait, stall);
}

void CurlMultiFetcher::OnReady(int fd, uint32_t events) {
  int flags = 0;
  if (events & (EPOLLIN | EPOLLHUP)) flags |= CURL_CSELECT_IN;
  if (events & EPOLLOUT) flags |= CURL_CSELECT_OUT;
  if (events & EPOLLERR) flags |= CURL_CSELECT_ERR;
  int running = 0;
  curl_multi_socket_action(multi_, fd, flags, &running);
}

void CurlMultiFetcher::Progress() {
  if (timer_set_ && Clock::now() >= timer_due_) {
    timer_set_ = false;
    int running = 0;
    curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
  }
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg == CURLMSG_DONE) {
      Answer(message->easy_handle, false, message->data.result);
    }
  }
  if (Clock::now() >= next_stall_check_) EndStalled();
}

void CurlMultiFetcher::EndStalled() {
  auto now = Clock::now();
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
  curl_multi_remove_handle(multi_, easy);
  HttpReply reply = aborted ? HttpReply{} : transfer.probe->Finish(result);
  if (CURL* idle = transfer.probe->Release()) idle_.push_back(idle);
  transfer.probe.reset();
  transfer.done(std::move(reply));
}

void CurlMultiFetcher::AbortAll() {
  while (!transfers_.empty()) Answer(transfers_.begin()->first, true);
}

int CurlMultiFetcher::OnSocket(CURL*, curl_socket_t fd, int what, void* self, void*) {
  auto* fetcher = static_cast<CurlMultiFetcher*>(self);
  if (what == CURL_POLL_REMOVE) {
    fetcher->loop_.Unwatch(fd);
    return 0;
  }
  uint32_t events = 0;
  if (what & CURL_POLL_IN) events |= EPOLLIN;
  if (what & CURL_POLL_OUT) events |= EPOLLOUT;
  // A socket the loop cannot watch fails its transfer instead of hanging it.
  return fetcher->loop_.Watch(fd, events, fetcher) ? 0 : -1;
}

int CurlMultiFetcher::OnTimer(CURLM*, long timeout_ms, void* self) {
  auto* fetcher = static_cast<CurlMultiFetcher*>(self);
  fetcher->timer_set_ = timeout_ms >= 0;
  if (timeout_ms >= 0) fetcher->timer_due_ = Clock::now() + std::chrono::milliseconds(timeout_ms);
  return 0;
}

}  // namespace quillet
