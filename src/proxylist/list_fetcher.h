#pragma once
// A list read from a web address: the port that fetches it, and what the fetched page must be.
// Public list sites publish one "host:port" per line, with "#" comments and blank lines; such a
// page is turned into list file text and then read like any list file.
#include <cstddef>
#include <string>
#include <string_view>

#include "proxylist/list_window.h"

namespace quillet {

// What a fetch may take: the page's bytes, the whole fetch's time and the redirects followed
// (only to http and https addresses).
inline constexpr size_t kMaxFetchedListBytes = size_t{16} << 20;
inline constexpr const char* kMaxFetchedListText = "16 MiB";
inline constexpr long kListFetchTimeoutSeconds = 60;
inline constexpr long kListConnectTimeoutSeconds = 15;
inline constexpr long kMaxListRedirects = 5;

struct FetchedList {
  std::string body;     // the page, when problem is empty
  std::string problem;  // why there is no list: "no answer (...)", "the server answered 404"...
};

class ListFetcher {
 public:
  virtual ~ListFetcher() = default;
  // A GET of the address made directly, never through a proxy of the settings or of the
  // environment. A page above kMaxFetchedListBytes, an error status, or an answer that is not
  // text is a problem.
  virtual FetchedList Fetch(const std::string& address) = 0;
};

// Why an answer of this content type (empty when none was given) and body is not a text list,
// or empty text when it is one.
std::string NotTextProblem(std::string_view content_type, std::string_view body);

// The page as list file text: a line that begins with "#" becomes a comment, and a line of
// blanks only an empty line; other lines lose their surrounding blanks.
std::string WebListText(std::string_view page);

// Fetches ListFile on a worker thread while the window goes on handling its events; the rows are
// held meanwhile (RowsAreHeld).
FetchedList FetchListInTurn(ListWindow window);

// "Could not fetch the proxy list at '<address>': <problem>.", then a line on what to do.
std::string FetchFailureMessage(const std::string& address, const std::string& problem);

// Asks for the local file that a list read from a web address is saved to; the file chosen
// becomes ListFile. False when none was chosen.
bool ChooseLocalListFile(ListWindow window);

}  // namespace quillet
