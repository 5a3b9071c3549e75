#include "common/failure.h"

namespace droplet {

std::string FormatFailureReport(const Failure& failure) {
  return failure.description + " - " + failure.source + " - " + std::to_string(failure.number);
}

void ThrowIfFailed(long error, const char* source) {
  if (error != 0) throw OperationFailure({error, DescribeSystemError(error), source});
}

}  // namespace droplet
