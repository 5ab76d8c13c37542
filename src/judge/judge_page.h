#pragma once
// The page the judge answers with: what it saw of the visitor, one variable per line, in the
// "NAME = value" style that proxy checkers read.
#include <string>
#include <utility>
#include <vector>

namespace quillet::judge {

struct VisitorRequest {
  std::string remote_addr;
  unsigned remote_port = 0;
  std::string method;
  std::string uri;
  std::string protocol;
  long long time = 0;                                        // seconds since 1970
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received
};

// "Content-Type" -> "HTTP_CONTENT_TYPE".
std::string VariableName(const std::string& header);

// The page text. Every request header appears as HTTP_NAME; the headers that reveal a proxy
// (client address, forwarding, Via) are always listed, empty when the request had none.
// Control characters in values become blanks, so a value cannot add lines of its own.
std::string JudgePage(const VisitorRequest& request);

}  // namespace quillet::judge
