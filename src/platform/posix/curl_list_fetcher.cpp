#include "platform/posix/curl_list_fetcher.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

#include "core/version.h"
#include "platform/posix/curl_probe_transfer.h"

namespace quillet {
namespace {

struct Download {
  std::string body;
  bool too_large = false;
};

size_t TakeBytes(char* data, size_t size, size_t count, void* target) {
  auto& download = *static_cast<Download*>(target);
  size_t bytes = size * count;
  if (download.body.size() + bytes > kMaxFetchedListBytes) {
    download.too_large = true;
    return 0;  // ends the transfer
  }
  download.body.append(data, bytes);
  return bytes;
}

std::string TooLarge() {
  return std::string("the list is larger than ") + kMaxFetchedListText;
}

// Why the transfer gave no page, in words for the user.
std::string TransferProblem(CURLcode code, const Download& download, const char* detail) {
  if (download.too_large || code == CURLE_FILESIZE_EXCEEDED) return TooLarge();
  if (code == CURLE_TOO_MANY_REDIRECTS) {
    return "more than " + std::to_string(kMaxListRedirects) + " redirects";
  }
  if (code == CURLE_UNSUPPORTED_PROTOCOL)
    return "a redirect led to an address that is not http or https";
  if (code == CURLE_OPERATION_TIMEDOUT) return "no answer in time";
  return std::string("no answer (") + (detail && *detail ? detail : curl_easy_strerror(code)) + ")";
}

}  // namespace

FetchedList CurlListFetcher::Fetch(const std::string& address) {
  EnsureCurlReady();
  std::unique_ptr<CURL, void (*)(CURL*)> easy(curl_easy_init(), curl_easy_cleanup);
  if (!easy) return {"", "no transfer could be started"};
  CURL* curl = easy.get();
  Download download;
  char detail[CURL_ERROR_SIZE] = "";
  std::string agent = "Quillet/" + VersionString();
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxListRedirects);
  // Directly: neither a proxy of the environment (http_proxy and the like) nor any other.
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  if (const char* authorities = std::getenv("SSL_CERT_FILE"))
    curl_easy_setopt(curl, CURLOPT_CAINFO, authorities);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kListConnectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kListFetchTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kMaxFetchedListBytes));
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");  // any the library can unpack
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBytes);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
  CURLcode code = curl_easy_perform(curl);
  if (code != CURLE_OK) return {"", TransferProblem(code, download, detail)};
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 300) return {"", "the server answered with status " + std::to_string(status)};
  char* type = nullptr;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
  if (std::string problem = NotTextProblem(type ? type : "", download.body); !problem.empty()) {
    return {"", problem};
  }
  return {std::move(download.body), ""};
}

}  // namespace quillet
