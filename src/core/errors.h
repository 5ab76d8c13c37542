#pragma once
// An unexpected run-time failure, carrying the number and description that the error report shows.
#include <stdexcept>
#include <string>

namespace quillet {

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(long number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  long number() const { return number_; }

 private:
  long number_;
};

// Numbers the program uses for its own run-time failures.
inline constexpr long kErrInvalidCall = 5;  // an argument the routine cannot work with
inline constexpr long kErrOverflow = 6;     // a number out of range
inline constexpr long kErrFileNotFound = 53;
inline constexpr long kErrFileIo = 57;  // reading or writing a file failed
inline constexpr long kErrPermission = 70;
inline constexpr long kErrPathNotFound = 76;

// A mistake in what the user typed (a proxy field, the bypass list): shown as a message of its
// own that says what to fix, never as the report of an unexpected failure.
class TypingMistake : public RunTimeError {
 public:
  explicit TypingMistake(const std::string& description)
      : RunTimeError(kErrInvalidCall, description) {}
};

}  // namespace quillet
