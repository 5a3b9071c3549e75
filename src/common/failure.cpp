#include "common/failure.h"

namespace droplet {

std::string FormatFailureReport(const Failure& failure) {
  return failure.description + " - " + failure.source + " - " + std::to_string(failure.number);
}

}  // namespace droplet
