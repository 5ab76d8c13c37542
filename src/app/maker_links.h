#pragma once
// The maker's web addresses, kept in one place.
namespace quillet::links {

inline constexpr const char* kMakerHome = "https://brasklet.example/";
inline constexpr const char* kProductPage = "https://brasklet.example/quillet/";
inline constexpr const char* kUpgradePage = "https://brasklet.example/quillet/download.htm";
inline constexpr const char* kBrowserDownload = "https://www.microsoft.com/edge/download";

}  // namespace quillet::links
