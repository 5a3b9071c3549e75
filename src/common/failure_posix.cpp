#include <cstring>

#include "common/failure.h"

namespace droplet {

std::string DescribeSystemError(long code) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not live in the buffer.
  return ::strerror_r(static_cast<int>(code), buffer, sizeof buffer);
}

}  // namespace droplet
