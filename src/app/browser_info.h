#pragma once
#include <optional>
#include <string>

namespace quillet {

// Version of the system's web client library: minor above 1 means a browser whose proxy
// settings the program can write.
struct ClientVersion {
  unsigned major = 0;
  unsigned minor = 0;
};

class BrowserInfo {
 public:
  virtual ~BrowserInfo() = default;
  // Nothing when the query fails.
  virtual std::optional<ClientVersion> Version() = 0;
  // The cookies the browser holds for a web address, as "name=value; name=value" text, or empty.
  virtual std::string Cookies(const std::string& url) = 0;
  // Why there are no proxy settings to write, in the user's words; empty for the usual notice.
  virtual std::string MissingReason() const { return ""; }
};

}  // namespace quillet
