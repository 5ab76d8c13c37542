#pragma once
// Which desktop the program is built for. On Windows the browser's own items keep the browser's
// words; on the other desktops they say what they do there, and the items the desktop has no
// setting for (Java applets, a Gopher proxy) are not shown.
namespace quillet {

#ifdef _WIN32
inline constexpr bool kBrowserDesktop = true;
#else
inline constexpr bool kBrowserDesktop = false;
#endif

}  // namespace quillet
