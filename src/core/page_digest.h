#pragma once
// The judge's mark on its own page: a last line "PAGE_SHA256 = <hex>" that holds the SHA-256 of
// every byte before it. A proxy that changes the page on its way (an injected script, an advert)
// cannot leave the mark true unless it knows to recompute it.
#include <string>
#include <string_view>

namespace quillet {

inline constexpr const char* kPageDigestName = "PAGE_SHA256";

// SHA-256 of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

// `page` with its digest line added.
std::string WithPageDigest(const std::string& page);

enum class PageDigest {
  None,     // the page carries no digest line: a judge that does not mark its pages
  Intact,   // the digest is the page's
  Changed,  // the page differs from what the judge digested, or something follows the digest
};
PageDigest CheckPageDigest(const std::string& page);

}  // namespace quillet
