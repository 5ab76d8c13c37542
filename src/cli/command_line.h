#pragma once
// What quillet-check and quillet-judge share on their command lines: --help and --version, a
// repeated option that takes its last value, and a usage error as "program: message" with a
// pointer to --help and exit code 2.
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace quillet::cli {

inline constexpr int kExitUsage = 2;

struct ParseOutcome {
  int exit_code = -1;  // >= 0: stop now with this code (help or version shown, or bad usage)
  std::string output;  // for standard output: the help or version text
  std::string error;   // for standard error: the usage error, ending with a line break
};

// "program 0.1.22".
std::string VersionLine(const std::string& program);

// Adds --version and makes options added afterwards take the last of repeated values.
void Prepare(CLI::App& app);

// The usage error text of `program`: "program: message", then where to look for help.
std::string UsageError(const std::string& program, const std::string& message);

// Parses the arguments (without the program's own name).
ParseOutcome Parse(CLI::App& app, const std::vector<std::string>& arguments);

}  // namespace quillet::cli
