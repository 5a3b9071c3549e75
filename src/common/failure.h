#pragma once

#include <stdexcept>
#include <string>

namespace droplet {

// A failure that travels back to a caller: a number (the system's error code), a description
// and the component that raised it. The conversion run shows all three.
struct Failure {
  long number = 0;
  std::string description;
  std::string source;
};

class OperationFailure : public std::runtime_error {
 public:
  explicit OperationFailure(Failure failure)
      : std::runtime_error(failure.description), failure_(std::move(failure)) {}
  const Failure& failure() const noexcept { return failure_; }

 private:
  Failure failure_;
};

// "description - source - number", the form in which the conversion run reports a failure.
std::string FormatFailureReport(const Failure& failure);

// The system's own text for its error code (errno, GetLastError). Each platform supplies it
// (failure_posix.cpp, failure_win32.cpp).
std::string DescribeSystemError(long code);

// Throws OperationFailure for a system call that returned `error` (not 0), naming `source` as
// the component that failed; does nothing for 0.
void ThrowIfFailed(long error, const char* source);

}  // namespace droplet
