#include "verify/public_address.h"

#include <algorithm>

#include "core/text.h"
#include "verify/deferred_user_interface.h"
#include "verify/http_probe.h"
#include "verify/judge_reading.h"

namespace quillet {
namespace {

// How long the visit waits on the loop before it looks for a cancel again.
constexpr int kStepMs = 10;

std::string PageOf(const AppSettings& settings) {
  return settings.TestHost + settings.TestPath;
}

}  // namespace

bool NeedsPublicAddress(const AppSettings& settings) {
  return settings.FindIP.empty() && !settings.TestHost.empty() &&
         settings.PublicIPPage != PageOf(settings);
}

DirectVisit VisitTestPage(CheckIo& io, const ProbeSettings& settings,
                          const std::atomic<bool>* cancel) {
  DirectVisit visit;
  std::string no_proxy;
  DeferredUserInterface ignored;  // a bad port is reported by the run itself
  std::optional<HttpRequest> request = TestPageRequest(ignored, no_proxy, settings.TestHost,
                                                       settings.TestPath, settings.TestTimeoutMs);
  if (!request) return visit;
  auto started = std::chrono::steady_clock::now();
  // The whole visit, not each of its phases, is bounded by the test time-out: the checks of the
  // run wait for it.
  auto deadline = started + std::chrono::milliseconds(std::max(settings.TestTimeoutMs, 1));
  bool done = false;
  HttpReply reply;
  io.StartGet(*request, [&](HttpReply answer) {
    reply = std::move(answer);
    done = true;
  });
  while (!done) {
    if ((cancel && *cancel) || std::chrono::steady_clock::now() >= deadline) {
      io.AbortAll();
    } else {
      io.RunOnce(kStepMs);
    }
  }
  visit.took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  visit.status = reply.status;
  visit.page = TestPageText(reply, no_proxy);
  visit.answered = !visit.page.empty();
  visit.address = RemoteAddressOf(visit.page);
  return visit;
}

// The typed page split as SetTestPage splits it; host and path empty when it is no page.
static AppSettings SplitTestPage(const std::string& typed) {
  AppSettings split;
  std::string url = typed;
  DeferredUserInterface quiet;
  SetTestPage(quiet, split, url);
  return split;
}

std::string TestPageOf(const std::string& typed) {
  return PageOf(SplitTestPage(typed));
}

DirectVisit VisitTypedTestPage(ParallelBackend& backend, ProbeSettings settings,
                               const std::string& typed, const std::atomic<bool>* cancel) {
  AppSettings split = SplitTestPage(typed);
  if (split.TestHost.empty()) return {};
  settings.TestHost = split.TestHost;
  settings.TestPath = split.TestPath;
  return VisitTestPage(*backend.MakeIo(), settings, cancel);
}

std::string JudgeCheckLine(const DirectVisit& visit, const std::string& search_text) {
  std::string took = std::to_string(visit.took.count()) + " ms";
  if (!visit.answered) {
    return visit.status ? "The page did not answer: status " + std::to_string(visit.status) +
                              " after " + took
                        : "No answer after " + took;
  }
  std::string line = "Answered in " + took + "; the search text \"" + search_text + "\" is " +
                     (ContainsNoCase(visit.page, search_text) ? "there" : "missing");
  return line +
         (visit.address.empty() ? "; no REMOTE_ADDR" : "; the judge sees you as " + visit.address);
}

std::string PublicAddressCaption(const AppSettings& settings) {
  return std::string(kAppTitle) + "    asking the test page " + PageOf(settings) +
         " for your own address...";
}

bool IsCurrentTestPage(const AppSettings& settings, const std::string& typed) {
  return !settings.TestHost.empty() && TestPageOf(typed) == PageOf(settings);
}

std::string TakePublicAddress(AppSettings& settings, const DirectVisit& visit) {
  settings.PublicIP = visit.address;
  settings.PublicIPPage = PageOf(settings);
  if (!visit.address.empty()) return "";
  std::string why = visit.answered ? "The test page " + PageOf(settings) +
                                         " shows no REMOTE_ADDR when visited without a proxy"
                                   : "The test page " + PageOf(settings) +
                                         " could not be reached without a proxy";
  return why + ", so your public address is not known. Proxies are judged by the address " +
         (settings.MyIP.empty() ? std::string("of this machine") : settings.MyIP) +
         " instead; type your public address as Search IP in the settings to judge them by it.";
}

}  // namespace quillet
