#include "app/main_window_texts.h"

#include "app/maker_links.h"
#include "app/user_interface.h"
#include "core/text.h"
#include "core/version.h"

namespace quillet {

std::string BaseCaption(const std::string& my_ip) {
  // A machine with nothing but loopback has no address that the world could see.
  bool loopback = my_ip.rfind("127.", 0) == 0;
  return std::string(kAppTitle) + "            " +
         (loopback ? "no network, only loopback: " : "your public IP: ") + my_ip;
}

std::string VersionLabel() {
  return "v." + Left(VersionString(), 4) + " beta";
}

std::string NotIENotice() {
  return std::string(kAppTitle) +
         " did not detect Internet Explorer 5.0 or newer installed on this machine.\r\n" +
         "You can still use " + kAppTitle +
         " to easily maintain lists of proxy servers. To get the free IE browser from Microsoft "
         "go to " +
         links::kBrowserDownload;
}

std::string FirstRunHint() {
  return "To get a list: paste proxies (host:port, one a line) into Add New from the list's "
         "right-click menu, or open a list file with Settings and Reload.";
}

}  // namespace quillet
