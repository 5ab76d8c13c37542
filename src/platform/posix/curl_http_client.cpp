#include "platform/posix/curl_http_client.h"

#include "platform/posix/curl_probe_transfer.h"

namespace quillet {

HttpReply CurlHttpClient::Get(const HttpRequest& request) {
  CurlProbeTransfer transfer(request);
  if (!transfer.handle()) return transfer.Finish();
  return transfer.Finish(curl_easy_perform(transfer.handle()));
}

}  // namespace quillet
