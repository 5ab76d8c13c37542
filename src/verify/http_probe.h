#pragma once
// The test-page fetch through a proxy and its judgement.
#include <optional>
#include <string>

#include "app/app_settings.h"
#include "app/user_interface.h"
#include "verify/http_client.h"
#include "verify/judge_reading.h"
#include "verify/probe_settings.h"

namespace quillet {

// Why a test page address cannot be fetched, or empty text when it can: "host[:port][/path]",
// with "http://" or "https://" in front or neither; the host has a "." or is localhost, the
// port is 1 to 65535.
std::string TestPageProblem(const std::string& url);

// Splits a test page address into TestHost (with "https://" in front for a page fetched over
// TLS) and TestPath. Every "http://" (any case) is removed from `url` itself. An address that
// cannot be fetched is refused with a message that says why; host and path stay empty.
void SetTestPage(UserInterface& ui, AppSettings& settings, std::string& url);

// Fetches host/path through `proxy` ("host:port"). Gives the first block of the body when the
// answer's status is 200, else empty text. Afterwards `proxy` holds "--", or the status code
// when it was not 200; a proxy text without ":" is left as it is and nothing is fetched.
// `host` is TestHost: "https://" in front fetches the page over TLS (port 443 unless named).
// A port in `host` outside 1 to 65535 is reported under "F6".
std::string HttpGetViaProxy(UserInterface& ui, HttpClient& client, std::string& proxy,
                            const std::string& host, const std::string& path, int32_t timeout_ms);

// The request HttpGetViaProxy makes, without making it: empty when nothing is to be fetched (a
// proxy text without ":", or a bad port reported under "F6"); `proxy` is then as it would be.
std::optional<HttpRequest> TestPageRequest(UserInterface& ui, std::string& proxy,
                                           const std::string& host, const std::string& path,
                                           int32_t timeout_ms);
// The text HttpGetViaProxy gives for `reply`, setting `proxy` to a status code other than 200.
std::string TestPageText(const HttpReply& reply, std::string& proxy);

struct ProbeResult {
  bool Answered = false;                           // the test page came back with a non-empty body
  bool Anonymous = false;                          // the own address does not occur in the page
  bool NoSearchText = false;                       // the search text does not occur in the page
  AnonymityLevel Level = AnonymityLevel::Unknown;  // known for an answered judge page
  bool Tampered = false;  // the judge digested its page, and this is not the page it digested
};

// Judges the text of a test page (searches ignore letter case).
ProbeResult JudgePage(const std::string& text, const ProbeSettings& settings);

// Fetches the test page through `proxy` and judges the text (searches ignore letter case).
ProbeResult ProbeProxy(UserInterface& ui, HttpClient& client, const ProbeSettings& settings,
                       std::string& proxy);

}  // namespace quillet
