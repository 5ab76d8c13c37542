#pragma once
#include "app/browser_info.h"

namespace quillet {

// The browser as WinINet reports it: the library's version (option 40, two 32-bit numbers) and
// the cookies it holds for a web address.
class WinInetBrowserInfo : public BrowserInfo {
 public:
  std::optional<ClientVersion> Version() override;
  // At most 255 bytes of cookie text; a failed query or a longer text gives empty text.
  std::string Cookies(const std::string& url) override;
};

}  // namespace quillet
