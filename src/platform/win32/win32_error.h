#pragma once
// Text for a Windows error code, for the descriptions of run-time errors.
#include <string>

namespace quillet {

// "<number> (<the system's message>)", or just the number when the system has no text for it.
std::string WindowsErrorText(unsigned long code);

}  // namespace quillet
