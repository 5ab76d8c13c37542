#pragma once
// The own public address as the judge sees it: the test page fetched without a proxy names the
// visitor's address in REMOTE_ADDR. Behind a home router that is the address a transparent proxy
// gives away, not the address of the machine's own network card.
#include <atomic>
#include <chrono>
#include <string>

#include "app/app_settings.h"
#include "verify/check_io.h"
#include "verify/parallel_backend.h"
#include "verify/probe_settings.h"

namespace quillet {

// What a direct visit of the test page gave.
struct DirectVisit {
  bool answered = false;  // status 200 with a body
  int status = 0;         // the answer's status code, 0 when none came
  std::string page;       // the first block of the body
  std::string address;    // REMOTE_ADDR of the page; empty when not found
  std::chrono::milliseconds took{0};
};

// Whether a run must look for the public address first: no address is typed in as FindIP and
// none has been looked for on the current test page yet.
bool NeedsPublicAddress(const AppSettings& settings);

// Fetches the test page directly on `io`, waiting on its loop until the answer comes, the test
// time-out has passed or `cancel` turns true (then the fetch is dropped). A test page that cannot
// be asked for gives nothing.
DirectVisit VisitTestPage(CheckIo& io, const ProbeSettings& settings,
                          const std::atomic<bool>* cancel = nullptr);

// The test page as typed in the settings dialog split into host and path ("http://" dropped),
// empty when it is no test page address. Nothing is shown to the user.
std::string TestPageOf(const std::string& typed);

// Visits a test page as typed (see TestPageOf) on an event loop of its own; for the judge check,
// which may run on any thread. Nothing answers for a page that is no test page address.
DirectVisit VisitTypedTestPage(ParallelBackend& backend, ProbeSettings settings,
                               const std::string& typed, const std::atomic<bool>* cancel);

// The judge check's one line: whether the page answered, in how many ms, whether the search
// text was there and which address the judge saw.
std::string JudgeCheckLine(const DirectVisit& visit, const std::string& search_text);

// The window's title while a run visits the test page for the own address.
std::string PublicAddressCaption(const AppSettings& settings);

// Whether `typed` names the test page the settings use now.
bool IsCurrentTestPage(const AppSettings& settings, const std::string& typed);

// Keeps what a visit found: PublicIP and the test page it belongs to. Gives the one line to tell
// the user when nothing was found (empty when an address was).
std::string TakePublicAddress(AppSettings& settings, const DirectVisit& visit);

}  // namespace quillet
