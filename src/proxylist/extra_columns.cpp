#include "proxylist/extra_columns.h"

namespace quillet {
namespace {

std::string FetchText(const ProxyRow& row) {
  return row.fetch_ms < 0 ? std::string() : std::to_string(row.fetch_ms);
}

std::string FetchTip(const ProxyRow& row) {
  if (row.fetch_ms < 0) return "";
  return "Fetch: " + FetchText(row) +
         " ms from sending the request to the judge's whole answer through the proxy";
}

}  // namespace

const ExtraColumn kFetchColumn = {"Fetch", CellAlignment::Right, 700, true, FetchText, FetchTip};

}  // namespace quillet
