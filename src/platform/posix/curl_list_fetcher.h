#pragma once
// The list fetcher on libcurl: one blocking GET of a web address, made directly.
#include "proxylist/list_fetcher.h"

namespace quillet {

class CurlListFetcher : public ListFetcher {
 public:
  FetchedList Fetch(const std::string& address) override;
};

}  // namespace quillet
