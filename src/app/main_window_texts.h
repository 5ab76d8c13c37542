#pragma once
// Texts the main window builds while it loads.
#include <string>

namespace quillet {

// "Quillet", twelve blanks, "your public IP: " and the own address ("no network, only
// loopback: " instead for a loopback address).
std::string BaseCaption(const std::string& my_ip);

// "v." + the first four characters of the version + " beta".
std::string VersionLabel();

// The notice shown in place of the proxy area when no browser settings can be written.
std::string NotIENotice();

// The one line the window shows after the first start: how to get a list of proxies.
std::string FirstRunHint();

}  // namespace quillet
