#pragma once
// The HTTP port on libcurl: one blocking GET through a proxy per call. Calls from several
// threads at once are fine (each call has its own transfer).
#include "verify/http_client.h"

namespace quillet {

class CurlHttpClient : public HttpClient {
 public:
  HttpReply Get(const HttpRequest& request) override;
};

}  // namespace quillet
