#pragma once
// The test-page fetch through a proxy and its judgement.
#include <string>

#include "app/app_settings.h"
#include "app/user_interface.h"
#include "verify/http_client.h"
#include "verify/probe_settings.h"

namespace quillet {

// Splits a test page address into TestHost and TestPath. Every "http://" (any case) is removed
// from `url` itself. An address without "." is refused with a message; host and path stay empty.
void SetTestPage(UserInterface& ui, AppSettings& settings, std::string& url);

// Fetches host/path through `proxy` ("host:port"). Gives the first block of the body when the
// answer's status is 200, else empty text. Afterwards `proxy` holds "--", or the status code
// when it was not 200; a proxy text without ":" is left as it is and nothing is fetched.
// A port in `host` that is not a number or is above 32767 is reported under "F6".
std::string HttpGetViaProxy(UserInterface& ui, HttpClient& client, std::string& proxy,
                            const std::string& host, const std::string& path, int32_t timeout_ms);

struct ProbeResult {
  bool Answered = false;      // the test page came back with a non-empty body
  bool Anonymous = false;     // the own address does not occur in the page
  bool NoSearchText = false;  // the search text does not occur in the page
};

// Fetches the test page through `proxy` and judges the text (searches ignore letter case).
ProbeResult ProbeProxy(UserInterface& ui, HttpClient& client, const ProbeSettings& settings,
                       std::string& proxy);

}  // namespace quillet
