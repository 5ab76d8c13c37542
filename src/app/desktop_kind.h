#pragma once
// Which desktop the program is built for. On Windows the browser's own items keep the browser's
// words; on the other desktops they say what they do there, and the items the desktop has no
// setting for (Java applets, a Gopher proxy) are not shown. The build says which one it is.
namespace quillet {

inline constexpr bool kBrowserDesktop = QUILLET_BROWSER_DESKTOP != 0;

}  // namespace quillet
