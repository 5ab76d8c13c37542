#include "cli/command_line.h"

#include "core/version.h"

namespace quillet::cli {

std::string VersionLine(const std::string& program) {
  return program + " " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

void Prepare(CLI::App& app) {
  app.set_version_flag("--version", VersionLine(app.get_name()), "print the version and exit");
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  // Wide enough for every option with its default: help2man needs two blanks between an
  // option and its description to keep them apart on the manual page.
  app.get_formatter()->column_width(36);
}

std::string UsageError(const std::string& program, const std::string& message) {
  return program + ": " + message + "\nTry '" + program + " --help' for more information.\n";
}

ParseOutcome Parse(CLI::App& app, const std::vector<std::string>& arguments) {
  ParseOutcome outcome;
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    outcome.exit_code = 0;
    outcome.output = app.help();
  } catch (const CLI::CallForVersion& version) {
    outcome.exit_code = 0;
    outcome.output = std::string(version.what()) + "\n";
  } catch (const CLI::ParseError& error) {
    outcome.exit_code = kExitUsage;
    outcome.error = UsageError(app.get_name(), error.what());
  }
  return outcome;
}

}  // namespace quillet::cli
