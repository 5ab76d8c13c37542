#pragma once
// The user guide that "Help online" opens: an HTML page made from docs/user-guide.md when the
// program is built, beside the program in the build folder and in <prefix>/share/doc/quillet
// once installed.
#include <string>

namespace quillet {

inline constexpr const char* kUserGuideName = "user-guide.html";

// The guide beside the program when it is there, else the installed one (<prefix>/share/doc/
// quillet, found from the shared data folder <prefix>/share/quillet); the path beside the
// program when neither is known.
std::string UserGuidePath(const std::string& program_dir, const std::string& shared_data_dir);

}  // namespace quillet
